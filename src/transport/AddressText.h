#pragma once

#include <QString>
#include <QStringView>

namespace tervalo::transport {

// Without leading and trailing characters up to the space, control characters included.
QString trimControl(QStringView text);

// The address of an address entry: the text between the first "<" and the following ">" (all
// after "<" when ">" is missing), or the whole entry when it has no "<"; trimmed.
QString extractAddress(QStringView entry);

}  // namespace tervalo::transport
