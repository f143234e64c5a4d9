#pragma once

#include <QString>

namespace tervalo::platform {

// The program's version, set once by the project's version in the build.
inline const QString AppVersion = QStringLiteral(TERVALO_VERSION);

}  // namespace tervalo::platform
