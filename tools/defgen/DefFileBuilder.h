#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

namespace tervalo::tools {

// Builds definition files in the layout the program reads (see import/DefFile.h): the demo file and
// every test file come from here.
struct DefFileContent {
    QString sectionName = QStringLiteral("UHTERV");
    QMap<int, QString> records;  // record number (>= 1) -> text; gaps are written as empty records
    // Record count written to the header; by default the highest record number.
    std::optional<qint32> recordCount;
};

// Texts are written in Windows-1250.
QByteArray buildDefFile(const DefFileContent& content);

// The source format of tools/defgen: one record a line, "NUMBER: TEXT" (UTF-8); blank lines and lines
// starting with ';' are ignored. A line "SECTION: NAME" sets the section name.
DefFileContent parseDefSource(const QString& source);

// A VAR tag: "#VAR_value#".
inline QString varTag(const QString& value) {
    return QStringLiteral("#VAR_") + value + QLatin1Char('#');
}

}  // namespace tervalo::tools
