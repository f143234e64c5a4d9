#include "payment/QrAccount.h"
#include "payment/QrMatrix.h"
#include "payment/QrPlatbaCodes.h"
#include "payment/QrPlatbaImage.h"
#include "payment/Spayd.h"
#include "support/CaseName.h"
#include "support/QrDecoder.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

namespace tervalo::compose {
namespace {

const QString kIban = QStringLiteral("CZ6508000000192000145399");

struct AccountCase {
    std::string name;
    QString text;
    QString iban;     // empty: refused
    QString problem;  // part of the refusal
};

class QrAccountTest : public ::testing::TestWithParam<AccountCase> {};

TEST_P(QrAccountTest, checksAndConvertsTheAccount) {
    const AccountCase& c = GetParam();
    const QrAccount account = ParseQrAccount(c.text);
    EXPECT_EQ(account.iban, c.iban);
    EXPECT_EQ(account.valid(), !c.iban.isEmpty());
    EXPECT_TRUE(account.problem.contains(c.problem)) << account.problem.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Accounts, QrAccountTest,
    ::testing::Values(
        AccountCase{"czech_with_prefix", QStringLiteral("19-2000145399/0800"), kIban, {}},
        AccountCase{"czech_short_prefix",
                    QStringLiteral("123-1234567899/0100"),
                    QStringLiteral("CZ3501000001231234567899"),
                    {}},
        AccountCase{"czech_without_prefix",
                    QStringLiteral(" 1234567899/0300 "),
                    QStringLiteral("CZ4203000000001234567899"),
                    {}},
        AccountCase{
            "iban_with_blanks_lower_case", QStringLiteral("cz65 0800 0000 1920 0014 5399"), kIban, {}},
        AccountCase{"foreign_iban",
                    QStringLiteral("DE89370400440532013000"),
                    QStringLiteral("DE89370400440532013000"),
                    {}},
        AccountCase{"number_fails_mod11",
                    QStringLiteral("19-2000145398/0800"),
                    {},
                    QStringLiteral("Číslo účtu 2000145398 nevyhovuje kontrole modulo 11.")},
        AccountCase{"prefix_fails_mod11",
                    QStringLiteral("18-2000145399/0800"),
                    {},
                    QStringLiteral("Předčíslí účtu 18 nevyhovuje kontrole modulo 11.")},
        AccountCase{"number_of_zeros",
                    QStringLiteral("0000000000/0800"),
                    {},
                    QStringLiteral("alespoň dvě nenulové číslice")},
        AccountCase{"iban_fails_mod97",
                    QStringLiteral("CZ6508000000192000145398"),
                    {},
                    QStringLiteral("nevyhovuje kontrole modulo 97")},
        // Check digits recomputed over a number that fails its own mod-11 check.
        AccountCase{"czech_iban_with_bad_number",
                    QStringLiteral("CZ2720100000002600000019"),
                    {},
                    QStringLiteral("Číslo účtu 2600000019 nevyhovuje kontrole modulo 11.")},
        AccountCase{
            "bank_code_missing", QStringLiteral("19-2000145399"), {}, QStringLiteral("není ve tvaru")},
        AccountCase{"empty", QStringLiteral("  "), {}, QStringLiteral("není vyplněno")}),
    test::CaseName());

TEST(QrCurrencyAccounts, readsPairsAndNamesTheBadOne) {
    const QrCurrencyAccounts good =
        ParseQrCurrencyAccounts(QStringLiteral("eur=DE89370400440532013000; USD = 19-2000145399/0800;"));
    EXPECT_EQ(good.problem, QString());
    EXPECT_EQ(good.ibans.value(QStringLiteral("EUR")), QStringLiteral("DE89370400440532013000"));
    EXPECT_EQ(good.ibans.value(QStringLiteral("USD")), kIban);

    EXPECT_EQ(ParseQrCurrencyAccounts(QStringLiteral("EUR=CZ6508000000192000145398")).problem,
              QStringLiteral("EUR: IBAN CZ6508000000192000145398 nevyhovuje kontrole modulo 97."));
    EXPECT_TRUE(
        ParseQrCurrencyAccounts(QStringLiteral("EURO")).problem.contains(QStringLiteral("MĚNA=IBAN")));
}

struct MessageCase {
    std::string name;
    QString text;
    QString message;
};

class SpaydMessageTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(SpaydMessageTest, staysInTheAlphanumericSet) {
    EXPECT_EQ(SpaydMessage(GetParam().text), GetParam().message);
    EXPECT_LE(SpaydMessage(GetParam().text).size(), 60);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, SpaydMessageTest,
    ::testing::Values(
        MessageCase{"diacritics", QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy"),
                    QStringLiteral("PRILIS ZLUTOUCKY KUN UPEL DABELSKE ODY")},
        MessageCase{"punctuation_becomes_blank", QStringLiteral("Úhrada dokladu č. FV-1; (záloha), 2/3"),
                    QStringLiteral("UHRADA DOKLADU C. FV-1 ZALOHA 2/3")},
        MessageCase{"star_and_percent_escaped", QStringLiteral("50% sleva*akce"),
                    QStringLiteral("50%25 SLEVA%2AAKCE")},
        MessageCase{"cut_at_a_word",
                    QStringLiteral("Úhrada dokladů FV2026001, FV2026002, FV2026003, FV2026004, FV2026005"),
                    QStringLiteral("UHRADA DOKLADU FV2026001 FV2026002 FV2026003 FV2026004")},
        MessageCase{"one_long_word_cut", QString(70, QLatin1Char('a')), QString(60, QLatin1Char('A'))},
        MessageCase{"escape_never_split", QStringLiteral("x") + QString(30, QLatin1Char('*')),
                    QStringLiteral("X") + QStringLiteral("%2A").repeated(19)},
        MessageCase{"empty", QString(), QString()}),
    test::CaseName());

struct SymbolCase {
    std::string name;
    QString number;
    QString variableSymbol;
    QString expected;
};

class PaymentVariableSymbolTest : public ::testing::TestWithParam<SymbolCase> {};

TEST_P(PaymentVariableSymbolTest, comesFromTheDocument) {
    const SymbolCase& c = GetParam();
    EXPECT_EQ(PaymentVariableSymbol(c.number, c.variableSymbol), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Symbols, PaymentVariableSymbolTest,
    ::testing::Values(SymbolCase{"digits_only", QStringLiteral("2026001"), {}, QStringLiteral("2026001")},
                      SymbolCase{"digits_inside", QStringLiteral("FV2026001"), {}, QStringLiteral("2026001")},
                      SymbolCase{
                          "scattered_digits", QStringLiteral("FV-26/0001"), {}, QStringLiteral("260001")},
                      SymbolCase{"no_digits", QStringLiteral("ZALOHA"), {}, QString()},
                      SymbolCase{"eleven_digits", QStringLiteral("FV12345678901"), {}, QString()},
                      SymbolCase{"export_symbol_first", QStringLiteral("FV1"), QStringLiteral("9988"),
                                 QStringLiteral("9988")},
                      SymbolCase{"export_symbol_not_digits", QStringLiteral("FV1"), QStringLiteral("VS-2"),
                                 QStringLiteral("1")}),
    test::CaseName());

TEST(SpaydText, writesTheFieldsThatAreSet) {
    PaymentCode code{kIban,
                     {},
                     12345,
                     QStringLiteral("CZK"),
                     QStringLiteral("2026001"),
                     QStringLiteral("UHRADA DOKLADU FV2026001"),
                     {QStringLiteral("FV2026001")}};
    EXPECT_EQ(SpaydText(code), QStringLiteral("SPD*1.0*ACC:CZ6508000000192000145399*AM:123.45*CC:CZK"
                                              "*MSG:UHRADA DOKLADU FV2026001*X-VS:2026001"));
    code.bic = QStringLiteral("GIBACZPX");
    code.cents = 5;
    code.variableSymbol.clear();
    code.message.clear();
    EXPECT_EQ(SpaydText(code),
              QStringLiteral("SPD*1.0*ACC:CZ6508000000192000145399+GIBACZPX*AM:0.05*CC:CZK"));
    code.cents = 999999999;
    EXPECT_TRUE(SpaydText(code).contains(QStringLiteral("*AM:9999999.99*")));
}

QrDocument invoice(const char* number, qint64 cents, const char* currency = "CZK") {
    return {QString::fromLatin1(number), {}, cents, QString::fromUtf8(currency), false};
}

QrDocument creditNote(const char* number, qint64 cents, const char* currency = "CZK") {
    return {QString::fromLatin1(number), {}, cents, QString::fromUtf8(currency), true};
}

QStringList spayds(const QrCodePlan& plan) {
    QStringList texts;
    for (const PaymentCode& code : plan.codes) {
        texts.append(SpaydText(code));
    }
    return texts;
}

const auto kMessage = [](const QStringList& documents) {
    return QStringLiteral("Úhrada ") + documents.join(QStringLiteral(", "));
};

TEST(PlanPaymentCodes, oneCodePerInvoiceCreditNotesAndOtherCurrenciesApart) {
    const QrPaymentAccounts accounts{kIban,
                                     QStringLiteral("GIBACZPX"),
                                     {{QStringLiteral("EUR"), QStringLiteral("DE89370400440532013000")}},
                                     true};
    // Amounts are rounded to cents by the caller; -2420.00 of a credit note gets no code.
    const QrCodePlan plan = PlanPaymentCodes(
        {invoice("FV260101", 4840000), creditNote("DB260007", -242000), invoice("FV260155", 150050, "EUR"),
         invoice("FV260160", 0), invoice("FV260170", 100, "USD"), invoice("FV260171", 1000000000)},
        accounts, kMessage);
    EXPECT_EQ(spayds(plan),
              QStringList({QStringLiteral("SPD*1.0*ACC:CZ6508000000192000145399+GIBACZPX*AM:48400.00*CC:CZK"
                                          "*MSG:UHRADA FV260101*X-VS:260101"),
                           QStringLiteral("SPD*1.0*ACC:DE89370400440532013000*AM:1500.50*CC:EUR"
                                          "*MSG:UHRADA FV260155*X-VS:260155")}));
    EXPECT_EQ(
        plan.reasons,
        QStringList({QStringLiteral("Doklad FV260160: částka 0.00 CZK není kladná, QR platba se nevytvoří."),
                     QStringLiteral("Pro měnu USD není nastaven účet, QR platba se v ní nevytvoří."),
                     QStringLiteral("Doklad FV260171: částka 10000000.00 CZK přesahuje 9999999.99, "
                                    "QR platba se nevytvoří.")}));
}

TEST(PlanPaymentCodes, totalPerCurrencyLessCreditNotes) {
    const QrPaymentAccounts accounts{kIban, {}, {}, false};
    const QrCodePlan plan =
        PlanPaymentCodes({invoice("FV1", 10000), creditNote("DB1", 2500), invoice("FV2", 1),
                          creditNote("DB2", -20000, "EUR"), invoice("FV3", 2, "Kč")},
                         accounts, kMessage);
    EXPECT_EQ(spayds(plan), QStringList({QStringLiteral("SPD*1.0*ACC:CZ6508000000192000145399*AM:75.03*CC:CZK"
                                                        "*MSG:UHRADA FV1 DB1 FV2 FV3")}));
    EXPECT_EQ(plan.codes.front().documents, QStringList({QStringLiteral("FV1"), QStringLiteral("DB1"),
                                                         QStringLiteral("FV2"), QStringLiteral("FV3")}));
    EXPECT_EQ(plan.reasons,
              QStringList({QStringLiteral("Pro měnu EUR není nastaven účet, QR platba se v ní nevytvoří.")}));

    // Credit notes above the invoices leave nothing to pay.
    EXPECT_EQ(PlanPaymentCodes({invoice("FV1", 100), creditNote("DB1", -300)}, accounts, kMessage).reasons,
              QStringList({QStringLiteral(
                  "Doklady v měně CZK: částka -2.00 CZK není kladná, QR platba se nevytvoří.")}));
}

TEST(PlanPaymentCodes, moreThanTenInvoicesGiveOneCodeForTheTotal) {
    const QrPaymentAccounts accounts{kIban, {}, {}, true};
    std::vector<QrDocument> documents;
    for (int i = 1; i <= 10; ++i) {
        documents.push_back(invoice(QStringLiteral("FV%1").arg(i).toLatin1().constData(), 100));
    }
    documents.push_back(creditNote("DB1", -50));
    EXPECT_EQ(PlanPaymentCodes(documents, accounts, kMessage).codes.size(), 10U);
    documents.push_back(invoice("FV11", 100));
    const QrCodePlan plan = PlanPaymentCodes(documents, accounts, kMessage);
    ASSERT_EQ(plan.codes.size(), 1U);
    EXPECT_EQ(plan.codes.front().cents, 1050);
    EXPECT_EQ(plan.codes.front().variableSymbol, QString());
    EXPECT_EQ(plan.codes.front().message,
              QStringLiteral("UHRADA FV1 FV2 FV3 FV4 FV5 FV6 FV7 FV8 FV9 FV10 DB1 FV11"));
}

TEST(QrPlatbaPng, decodesToTheDescriptor) {
    const QStringList texts = {
        QStringLiteral("SPD*1.0*ACC:CZ6508000000192000145399+GIBACZPX*AM:48400.00*CC:CZK*MSG:UHRADA "
                       "FV260101*X-VS:260101"),
        // A long message with escapes: a larger version.
        QStringLiteral("SPD*1.0*ACC:CZ6508000000192000145399*AM:9999999.99*CC:EUR*MSG:") +
            QStringLiteral("%2A").repeated(20)};
    for (const QString& text : texts) {
        const QByteArray png = QrPlatbaPng(EncodeQr(text.toLatin1()));
        ASSERT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
        EXPECT_EQ(png.at(24), 1) << "bit depth";
        EXPECT_EQ(test::decodeQrCodes(png), QStringList({text}));
    }
}

}  // namespace
}  // namespace tervalo::compose
