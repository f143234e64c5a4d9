#include "ExportTestSupport.h"
#include "export/ExportDebtorList.h"

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

// Each debtor with its payment fields in columns B to D and, under it, its documents with theirs.
QString writeTemplate(const test::DemoExport& f) {
    f.write(QStringLiteral("platby.XL"), QStringLiteral(TERVALO_FIXTURES "/export/payment-fields.xls"));
    return f.dir.file(QStringLiteral("platby.XL"));
}

// The rows of `name` (a debtor or a document number in column A) as xlrd reads them.
std::vector<test::XlsCell> rowOf(const test::XlsSheet& sheet, const QString& name) {
    for (const auto& [row, cells] : sheet.rows) {
        if (sheet.text(row, 0) == name) {
            std::vector<test::XlsCell> values;
            for (int col = 1; col <= 3; ++col) {
                const test::XlsCell* cell = sheet.cell(row, col);
                values.push_back(cell ? *cell : test::XlsCell{});
            }
            return values;
        }
    }
    ADD_FAILURE() << "no row " << name.toStdString();
    return std::vector<test::XlsCell>(3);
}

const QString kFv1 = QStringLiteral(
    "SPD*1.0*ACC:CZ6508000000192000145399*AM:48400.00*CC:CZK*MSG:UHRADA DOKLADU FV260101*X-VS:260101");
const QString kFv2 = QStringLiteral(
    "SPD*1.0*ACC:CZ6508000000192000145399*AM:6050.25*CC:CZK*MSG:UHRADA DOKLADU FV260145*X-VS:260145");

TEST(QrPaymentFields, templatesShowTheCodesTheRemindersCarry) {
    test::DemoExport f;
    app::AppSettings settings;
    settings.QRPlatba = true;
    settings.QRUcet = QStringLiteral("19-2000145399/0800");
    const QString output = f.dir.file(QStringLiteral("platby.xls"));
    ASSERT_TRUE(exporting::WriteDebtorList(f.session.tables, writeTemplate(f), output, f.ui,
                                           QDate(2026, 12, 10), &settings));
    const test::XlsSheet out = test::readWithXlrd(output);

    const auto alfa = rowOf(out, QStringLiteral("Alfa Stavby s.r.o."));
    EXPECT_EQ(alfa[0].value.toString(), kFv1 + QLatin1Char('\n') + kFv2);
    EXPECT_EQ(alfa[1].value.toString(), QStringLiteral("260101, 260145"));
    EXPECT_EQ(alfa[2].ctype, 2);
    EXPECT_DOUBLE_EQ(alfa[2].value.toDouble(), 54450.25);

    const auto invoice = rowOf(out, QStringLiteral("FV260145"));
    EXPECT_EQ(invoice[0].value.toString(), kFv2);
    EXPECT_EQ(invoice[1].value.toString(), QStringLiteral("260145"));
    EXPECT_EQ(invoice[2].ctype, 2);
    EXPECT_DOUBLE_EQ(invoice[2].value.toDouble(), 6050.25);

    // A credit note has no code of its own, and a currency without an account none at all.
    for (const QString& name :
         {QStringLiteral("DB260007"), QStringLiteral("FV260155"), QStringLiteral("Hotel Ďáblice a.s.")}) {
        for (const test::XlsCell& cell : rowOf(out, name)) {
            EXPECT_EQ(cell.value, QJsonValue()) << name.toStdString();
        }
    }
}

TEST(QrPaymentFields, emptyWhileSwitchedOff) {
    test::DemoExport f;
    app::AppSettings settings;
    settings.QRUcet = QStringLiteral("19-2000145399/0800");
    const QString output = f.dir.file(QStringLiteral("platby.xls"));
    ASSERT_TRUE(exporting::WriteDebtorList(f.session.tables, writeTemplate(f), output, f.ui,
                                           QDate(2026, 12, 10), &settings));
    const test::XlsSheet out = test::readWithXlrd(output);
    for (const test::XlsCell& cell : rowOf(out, QStringLiteral("FV260101"))) {
        EXPECT_EQ(cell.value, QJsonValue());
    }
}

}  // namespace
