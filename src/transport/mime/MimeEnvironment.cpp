#include "transport/mime/MimeEnvironment.h"

#include "transport/mime/MakeBoundary.h"

#include "platform/SystemLocale.h"

namespace tervalo::transport {

MimeEnvironment MimeEnvironment::forSystem(const platform::SystemLocale& locale) {
    MimeEnvironment environment;
    environment.charsets.local = LocalCharset(locale);
    environment.currentTime = [] { return QDateTime::currentDateTime(); };
    environment.timeZoneBiasMinutes = [locale] { return locale.timeZoneBiasMinutes(); };
    environment.makeBoundary = [] { return MakeBoundary(); };
    return environment;
}

}  // namespace tervalo::transport
