#pragma once

#include "platform/AnsiCodec.h"
#include "platform/Error.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tervalo::app {

// A configuration file that could not be read or written; the text names the file for the user.
class SettingsFileError : public platform::Error {
public:
    SettingsFileError(const QString& text, const QString& path) : platform::Error(text, path) {}
};

// An INI file edited line by line, so that everything it holds besides the keys written survives:
// foreign sections and keys, comments, letter case, quotes and blanks.
//
// Form: "[Section]" opens a section; "Key=Value" holds a value. Section and key names are matched
// without regard to letter case; the first match counts. Text is in the ANSI code page; the file is
// written with CR LF line breaks, through a temporary file renamed over the old one.
class IniFile {
public:
    static constexpr int kMaxValueLength = 2047;

    // A missing file reads as empty. A file that exists but cannot be read throws SettingsFileError:
    // writing it back from nothing would lose its other keys.
    IniFile(const QString& path, const platform::AnsiCodec& codec);

    const QString& path() const { return m_path; }

    // The value trimmed of blanks, without a pair of quotes around it, cut to kMaxValueLength
    // characters; empty when the section or key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;
    QString text(const QString& section, const QString& key, const QString& fallback = {}) const;
    // The names of the section's keys, as written and in the file's order.
    QStringList keys(const QString& section) const;
    // The integer value; `fallback` when missing or not a valid decimal integer.
    int integer(const QString& section, const QString& key, int fallback) const;
    // Yes when the integer value is not 0.
    bool boolean(const QString& section, const QString& key, bool fallback) const;

    // Replaces the key's line, or adds it at the end of its section (a new section goes at the end
    // of the file). Line breaks in the value become blanks: they would start lines of their own.
    void setValue(const QString& section, const QString& key, const QString& value);
    void setInteger(const QString& section, const QString& key, int value);
    void setBoolean(const QString& section, const QString& key, bool value);

    // Throws SettingsFileError when the file cannot be written; the old file then stays whole.
    void save() const;

private:
    struct SectionRange {
        int header = -1;  // index of the "[Section]" line
        int end = 0;      // one past its last line
    };
    std::optional<SectionRange> findSection(const QString& section) const;
    int findKey(const SectionRange& range, const QString& key) const;

    QString m_path;
    const platform::AnsiCodec& m_codec;
    QStringList m_lines;
};

// The text shown when a configuration file cannot be written or read.
QString cannotWriteText(const QString& path);
QString cannotReadText(const QString& path);

}  // namespace tervalo::app
