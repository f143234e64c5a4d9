#pragma once

#include <QString>

namespace tervalo::platform {

// The program folder: where the executable lies and where every file of the program is found.
// Paths returned here always end with a slash (the program joins names to them directly).
class AppDir {
public:
    // The folder of the running executable.
    static QString ofExecutable();
    // `path` trimmed, with a trailing slash appended unless it already ends with one.
    static QString normalized(const QString& path);
};

}  // namespace tervalo::platform
