#include "defgen/DefFileBuilder.h"

#include "platform/AnsiCodec.h"

#include <QStringList>
#include <QtEndian>

#include <stdexcept>

namespace tervalo::tools {

namespace {

QByteArray lengthPrefixed(const QByteArray& text, int capacity) {
    if (text.size() > capacity) {
        throw std::invalid_argument("text longer than " + std::to_string(capacity) +
                                    " bytes: " + text.toStdString());
    }
    QByteArray out(capacity + 1, '\0');
    out[0] = char(text.size());
    std::copy(text.begin(), text.end(), out.begin() + 1);
    return out;
}

}  // namespace

QByteArray buildDefFile(const DefFileContent& content) {
    const platform::AnsiCodec codec(1250);
    int highest = content.records.isEmpty() ? 0 : content.records.lastKey();
    qint32 count = content.recordCount.value_or(highest);

    QByteArray file("PCDEFFILE 1.00");
    char number[4];
    qToLittleEndian<qint32>(count, number);
    file.append(number, 4);
    file.append(QByteArray(16, '\0'));
    file.append(lengthPrefixed(codec.encode(content.sectionName), 8));
    for (int n = 0; n <= highest; ++n) {
        file.append(lengthPrefixed(codec.encode(content.records.value(n)), 255));
    }
    return file;
}

DefFileContent parseDefSource(const QString& source) {
    DefFileContent content;
    int lineNumber = 0;
    for (const QString& raw : source.split(QLatin1Char('\n'))) {
        ++lineNumber;
        QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0) {
            throw std::invalid_argument("line " + std::to_string(lineNumber) + ": expected NUMBER: TEXT");
        }
        QString key = line.left(colon).trimmed();
        QString text = line.mid(colon + 1).trimmed();
        if (key.compare(QStringLiteral("SECTION"), Qt::CaseInsensitive) == 0) {
            content.sectionName = text;
            continue;
        }
        bool ok = false;
        int n = key.toInt(&ok);
        if (!ok || n < 1) {
            throw std::invalid_argument("line " + std::to_string(lineNumber) + ": bad record number");
        }
        content.records[n] = text;
    }
    return content;
}

}  // namespace tervalo::tools
