#pragma once

#include "state/StateTables.h"

#include "platform/SystemLocale.h"
#include "support/RunProcess.h"
#include "support/TempAppDir.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace tervalo::test {

// Fresh state tables, open, in a temporary program folder, with the Czech locale.
class OpenStateTablesTest : public ::testing::Test {
protected:
    void SetUp() override { tables.OpenStateTables(); }

    TempAppDir dir;
    platform::SystemLocale czech;
    state::StateTables tables{dir.path(), czech};
};

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline quint32 le32(const QByteArray& bytes, int offset) {
    return quint32(quint8(bytes[offset])) | quint32(quint8(bytes[offset + 1])) << 8 |
           quint32(quint8(bytes[offset + 2])) << 16 | quint32(quint8(bytes[offset + 3])) << 24;
}

inline int le16(const QByteArray& bytes, int offset) {
    return quint8(bytes[offset]) | quint8(bytes[offset + 1]) << 8;
}

}  // namespace tervalo::test

#include "state/dbf/DbfTable.h"

namespace tervalo::test {

// An EDoklady.dat as earlier versions wrote it: DOKLAD and EXPORT only, no memo, no index. Record
// `deleted` (1-based, 0 for none) is marked deleted.
inline void writeOldDocumentTable(const QString& folder, const std::vector<std::pair<QString, bool>>& rows,
                                  int deleted = 0) {
    platform::SystemLocale czech;
    {
        state::dbf::DbfTable table(czech);
        table.setFileName(folder + QStringLiteral("EDoklady.dat"));
        table.setFieldDefs({{QStringLiteral("DOKLAD"), 'C', 10}, {QStringLiteral("EXPORT"), 'L', 1}});
        table.open();
        for (const auto& [number, flag] : rows) {
            table.append();
            table.setFieldText(QStringLiteral("DOKLAD"), number);
            table.setFieldFlag(QStringLiteral("EXPORT"), flag);
            table.post();
        }
    }
    if (deleted > 0) {
        QFile file(folder + QStringLiteral("EDoklady.dat"));
        file.open(QIODevice::ReadWrite);
        file.seek(32 + 2 * 32 + 1 + (deleted - 1) * 12);
        file.write("*");
    }
}

inline std::vector<std::pair<QString, bool>> oldDocumentRows(int count) {
    std::vector<std::pair<QString, bool>> rows;
    for (int i = 0; i < count; ++i) {
        rows.emplace_back(QStringLiteral("OLD%1").arg(i), i % 3 == 0);
    }
    return rows;
}

}  // namespace tervalo::test
