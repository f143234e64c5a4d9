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

// Writes through a temporary file in the same folder, flushed to the disk and renamed over `path`
// (replaceFileDurably), so a failure, a kill or a power loss leaves the old file whole. Returns false
// on failure.
bool writeBytesAtomically(const QString& path, const QByteArray& bytes);
bool writeAnsiAtomically(const QString& path, const QString& text, const AnsiCodec& codec);

// Creates `path`, which must not exist yet, and writes `bytes` straight into it: for a file made
// afresh right after its old copy was removed, where there is no old content to keep whole and the
// wait for the disk of a replacing write would buy nothing. Created exclusively, so nothing that
// reappeared under the name (a planted link) is written through; a short write (disk full) removes
// the cut file. Returns false on failure.
bool writeNewFile(const QString& path, const QByteArray& bytes);

}  // namespace TextFile

}  // namespace tervalo::platform
