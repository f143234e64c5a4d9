#pragma once

#include "app/AppFixture.h"
#include "app/LoadExport.h"
#include "app/StartUp.h"
#include "support/RunProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <map>

namespace tervalo::test {

// A program folder with the demo definition file and the shipped template, after start-up, with the
// demo export loaded.
struct DemoExport : AppFixture {
    DemoExport() {
        write(QStringLiteral("TERVALO.XL"), QStringLiteral(TERVALO_SOURCE_DIR "/data/files/TERVALO.XL"));
        EXPECT_EQ(app::StartUp(session, dir.path(), ui), app::StartResult::Continue);
        EXPECT_TRUE(app::LoadExport(session, demoExportPath(), ui));
        ui.clearMessages();
    }
    void write(const QString& name, const QString& from) const {
        QFile source(from);
        EXPECT_TRUE(source.open(QIODevice::ReadOnly)) << from.toStdString();
        dir.write(name, source.readAll());
    }
    QString templatePath() const { return dir.file(QStringLiteral("TERVALO.XL")); }
};

// One cell as xlrd reads it: ctype 1 text, 2 number, 3 date, 4 boolean, 5 error.
struct XlsCell {
    int ctype = 0;
    QJsonValue value;
    int xf = -1;
};

// The first sheet of an .xls file as xlrd reads it (tests/report/xlrd_dump.py).
struct XlsSheet {
    std::map<int, std::map<int, XlsCell>> rows;
    QJsonArray merges;  // [first row, last row + 1, first column, last column + 1]
    QString header;     // the page header and footer as stored, with their "&" codes
    QString footer;

    const XlsCell* cell(int row, int col) const {
        const auto r = rows.find(row);
        if (r == rows.end()) {
            return nullptr;
        }
        const auto c = r->second.find(col);
        return c == r->second.end() ? nullptr : &c->second;
    }
    QString text(int row, int col) const {
        const XlsCell* c = cell(row, col);
        return c == nullptr ? QString() : c->value.toString();
    }
    int lastRow() const { return rows.empty() ? -1 : rows.rbegin()->first; }
};

inline XlsSheet readWithXlrd(const QString& path) {
    const QJsonObject sheet =
        QJsonDocument::fromJson(
            runPython({QStringLiteral(TERVALO_SOURCE_DIR "/tests/report/xlrd_dump.py"), path}))
            .object()[QStringLiteral("sheets")]
            .toArray()
            .at(0)
            .toObject();
    XlsSheet result;
    for (const QJsonValue& v : sheet[QStringLiteral("cells")].toArray()) {
        const QJsonArray c = v.toArray();
        result.rows[c[0].toInt()][c[1].toInt()] = XlsCell{c[2].toInt(), c[3], c[4].toInt()};
    }
    result.merges = sheet[QStringLiteral("merges")].toArray();
    result.header = sheet[QStringLiteral("header")].toString();
    result.footer = sheet[QStringLiteral("footer")].toString();
    return result;
}

}  // namespace tervalo::test
