#pragma once

#include "settings/AppSettings.h"
#include "settings/IniFile.h"

namespace tervalo::app {

// Vorbel.ini in the program folder: every single-line setting. Only the keys below are written,
// one by one, so keys of other parts of the program (RunSetup) and foreign ones survive.
namespace ConfigurationFile {

inline QString fileName() {
    return QStringLiteral("Vorbel.ini");
}

// Text keys are read with an empty default (ApplyDefaults puts the defaults in afterwards); flags
// and numbers that are missing or not valid integers keep their defaults.
void read(const IniFile& ini, AppSettings& settings, MainWindowLayout& layout);
// In the order of the program's close, so a new file gets its sections and keys in that order.
void write(IniFile& ini, const AppSettings& settings, const MainWindowLayout& layout);

}  // namespace ConfigurationFile

// The body file EText: the text as it stands, lines separated by CR LF, no line break added at its
// end.
namespace BodyTextFile {

inline QString fileName() {
    return QStringLiteral("EText");
}

// The body file of a reminder level: EText for the first, EText2 for the second, and so on.
inline QString fileName(int level) {
    return level <= 1 ? fileName() : fileName() + QString::number(level);
}

// Empty when the file does not exist; single CR or LF become CR LF. Throws SettingsFileError when
// the file exists but cannot be read.
std::optional<QString> read(const QString& path, const platform::AnsiCodec& codec);
// Replaces the file through a temporary file; throws SettingsFileError when it cannot be written.
void write(const QString& path, const QString& text, const platform::AnsiCodec& codec);

}  // namespace BodyTextFile

}  // namespace tervalo::app
