#pragma once

#include "transport/mime/MimeCharsets.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace tervalo::platform {
class SystemLocale;
}

namespace tervalo::transport {

// What a message takes from the system when it is built: the character sets, the clock for a
// Date header of "now", the time-zone bias and the boundary maker. Tests replace the last three
// to compare messages byte for byte.
struct MimeEnvironment {
    MimeCharsets charsets;
    std::function<QDateTime()> currentTime;    // local time
    std::function<int()> timeZoneBiasMinutes;  // minutes to add to local time to get UTC
    std::function<QString()> makeBoundary;

    static MimeEnvironment forSystem(const platform::SystemLocale& locale);
};

}  // namespace tervalo::transport
