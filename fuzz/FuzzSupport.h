#pragma once

#include "platform/SystemLocale.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace tervalo::fuzz {

// A folder of this process's own (ending with a slash), removed at exit: readers that take a path get
// the input written here, so parallel fuzzing jobs never share files.
const QString& workDir();
// Writes the bytes to workDir() + name, replacing an earlier input; returns the path.
QString writeInput(const QString& name, const QByteArray& bytes);
// Empties workDir() between inputs, so one input's files never reach the next.
void clearWorkDir();

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The Czech locale with Windows-1250, as the program uses by default.
const platform::SystemLocale& czechLocale();

// The demo definition file, built from the source the program folder's one is built from; written
// once into workDir() under `name`, whose path is returned.
QString writeDemoDefFile(const QString& name);
// The demo export of the program folder, as bytes.
QByteArray demoExport();

}  // namespace tervalo::fuzz
