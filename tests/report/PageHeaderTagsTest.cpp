#include "report/PageHeaderTags.h"

#include "FakeDataSource.h"
#include "report/ReportError.h"

#include <gtest/gtest.h>

using namespace tervalo::report;

namespace {

// A HEADER or FOOTER payload as Excel writes it: characters count, the compressed-text flag, Latin-1.
QByteArray compressed(const QByteArray& latin1) {
    QByteArray data;
    data.append(char(latin1.size())).append('\0').append('\0').append(latin1);
    return data;
}

// The text of a payload written in UTF-16.
QString textOf(const QByteArray& data) {
    EXPECT_EQ(data[2], '\x01');
    const int count = uchar(data[0]) | (uchar(data[1]) << 8);
    EXPECT_EQ(data.size(), 3 + 2 * count);
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QChar(ushort(uchar(data[3 + 2 * i]) | (uchar(data[4 + 2 * i]) << 8)));
    }
    return text;
}

TEST(PageHeaderTags, fillValueTagsInHeaderAndFooterOnly) {
    test::FakeDataSource source;
    source.setProperty(QStringLiteral("SupplierName"), {QStringLiteral("Novák & syn, Plzeň")});
    source.setProperty(QStringLiteral("AsOfDate"), {QStringLiteral("10.12.2026")});
    source.setProperty(QStringLiteral("Today"), {QDate(2026, 12, 11)});
    std::vector<BiffRecord> records = {
        {rid::Header, compressed("&L#.SupplierName&RStav ke dni #.AsOfDate."), {}, 0},
        {rid::Footer, compressed("&LDatum #.Today&CStrana &P z &N"), {}, 0},
        {rid::Label, compressed("#.SupplierName"), {}, 0},  // a cell record is left alone
        {rid::Header, QByteArray(), {}, 0},                 // a sheet without a header
    };
    fillPageHeaderTags(records, source);

    EXPECT_EQ(textOf(records[0].data), QStringLiteral("&LNovák && syn, Plzeň&RStav ke dni 10.12.2026."));
    EXPECT_EQ(textOf(records[1].data), QStringLiteral("&LDatum 11.12.2026&CStrana &P z &N"));
    EXPECT_EQ(records[2].data, compressed("#.SupplierName"));
    EXPECT_TRUE(records[3].data.isEmpty());
}

TEST(PageHeaderTags, anUnknownPropertyStopsTheRunAsInACell) {
    test::FakeDataSource source;
    std::vector<BiffRecord> records = {{rid::Footer, compressed("&C#.Nikdo"), {}, 0}};
    try {
        fillPageHeaderTags(records, source);
        ADD_FAILURE() << "no error";
    } catch (const ReportError& e) {
        EXPECT_STREQ(e.what(), "Property \"Nikdo\" has not been defined or is not published");
    }
}

}  // namespace
