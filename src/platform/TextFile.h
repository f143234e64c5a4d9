#pragma once

#include "platform/AnsiCodec.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tervalo::platform {

// Whole-file reads and writes of text in the ANSI code page.
namespace TextFile {

// The file's bytes, or empty when it cannot be opened or read.
std::optional<QByteArray> readBytes(const QString& path);
std::optional<QString> readAnsi(const QString& path, const AnsiCodec& codec);

// Replaces the file by the text in the ANSI code page, durably (FileWrite::replaceDurably). Returns
// false on failure.
bool writeAnsiAtomically(const QString& path, const QString& text, const AnsiCodec& codec);

}  // namespace TextFile

}  // namespace tervalo::platform
