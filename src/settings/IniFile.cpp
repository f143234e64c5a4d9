#include "settings/IniFile.h"

#include "platform/FileWrite.h"
#include "platform/TextFile.h"

#include <QFileInfo>

namespace tervalo::app {

namespace {

std::optional<QString> sectionName(const QString& line) {
    QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('['))) {
        return std::nullopt;
    }
    qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

// The key of a "Key=Value" line; comments and lines without "=" hold none.
std::optional<QString> keyName(const QString& line) {
    QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('['))) {
        return std::nullopt;
    }
    qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return std::nullopt;
    }
    return line.left(equals).trimmed();
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString unquoted(const QString& value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

}  // namespace

QString cannotWriteText(const QString& path) {
    return QStringLiteral("Chyba : nelze zapsat do souboru ") + path;
}

QString cannotReadText(const QString& path) {
    return QStringLiteral("Chyba : nelze číst soubor ") + path;
}

IniFile::IniFile(const QString& path, const platform::AnsiCodec& codec) : m_path(path), m_codec(codec) {
    if (!QFileInfo::exists(path)) {
        return;
    }
    auto bytes = platform::TextFile::readBytes(path);
    if (!bytes) {
        throw SettingsFileError(cannotReadText(path), path);
    }
    for (QByteArray line : bytes->split('\n')) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        m_lines.append(codec.decode(line));
    }
    // A final line break leaves an empty piece after it that is no line of the file.
    if (bytes->endsWith('\n')) {
        m_lines.removeLast();
    }
}

std::optional<IniFile::SectionRange> IniFile::findSection(const QString& section) const {
    for (int i = 0; i < m_lines.size(); ++i) {
        auto name = sectionName(m_lines[i]);
        if (name && sameName(*name, section)) {
            SectionRange range{i, i + 1};
            while (range.end < m_lines.size() && !sectionName(m_lines[range.end])) {
                ++range.end;
            }
            return range;
        }
    }
    return std::nullopt;
}

int IniFile::findKey(const SectionRange& range, const QString& key) const {
    for (int i = range.header + 1; i < range.end; ++i) {
        auto name = keyName(m_lines[i]);
        if (name && sameName(*name, key)) {
            return i;
        }
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    auto range = findSection(section);
    if (!range) {
        return std::nullopt;
    }
    int index = findKey(*range, key);
    if (index < 0) {
        return std::nullopt;
    }
    const QString& line = m_lines[index];
    return unquoted(line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed()).left(kMaxValueLength);
}

QStringList IniFile::keys(const QString& section) const {
    QStringList names;
    if (auto range = findSection(section)) {
        for (int i = range->header + 1; i < range->end; ++i) {
            if (auto name = keyName(m_lines[i])) {
                names << *name;
            }
        }
    }
    return names;
}

QString IniFile::text(const QString& section, const QString& key, const QString& fallback) const {
    return value(section, key).value_or(fallback);
}

int IniFile::integer(const QString& section, const QString& key, int fallback) const {
    auto stored = value(section, key);
    if (!stored) {
        return fallback;
    }
    bool ok = false;
    int number = stored->toInt(&ok, 10);
    return ok ? number : fallback;
}

bool IniFile::boolean(const QString& section, const QString& key, bool fallback) const {
    return integer(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    QString flat = value;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString line = key + QLatin1Char('=') + flat;

    auto range = findSection(section);
    if (!range) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty()) {
            m_lines.append(QString());
        }
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(line);
        return;
    }
    int index = findKey(*range, key);
    if (index >= 0) {
        m_lines[index] = line;
        return;
    }
    // After the section's last line that is not blank, so blank lines between sections stay there.
    int insertAt = range->end;
    while (insertAt > range->header + 1 && m_lines[insertAt - 1].trimmed().isEmpty()) {
        --insertAt;
    }
    m_lines.insert(insertAt, line);
}

void IniFile::setInteger(const QString& section, const QString& key, int value) {
    setValue(section, key, QString::number(value));
}

void IniFile::setBoolean(const QString& section, const QString& key, bool value) {
    setValue(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::save() const {
    QByteArray bytes;
    for (const QString& line : m_lines) {
        bytes += m_codec.encode(line);
        bytes += "\r\n";
    }
    if (!platform::FileWrite::replaceDurably(m_path, bytes)) {
        throw SettingsFileError(cannotWriteText(m_path), m_path);
    }
}

}  // namespace tervalo::app
