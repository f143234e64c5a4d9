#include "import/LateInterestText.h"
#include "import/TemplateVariables.h"
#include "settings/AppSettings.h"

#include <gtest/gtest.h>

using namespace tervalo;
using namespace tervalo::compose;

namespace {

// Due 15.6.2022 with 10 000 CZK left, as of 15.12.2022; a EUR invoice; one of a half-year without a
// rate, which the table leaves out.
import::DebtorInterest owed(){import::DebtorInterest owed;
owed.documents = {
    {QStringLiteral("FV1"),
     QStringLiteral("15.6.2022"),
     {2022, 6, 15},
     183,
     10000,
     QStringLiteral("CZK"),
     11.75,
     589.11},
    {QStringLiteral("FV20"),
     QStringLiteral("1.12.2022"),
     {2022, 12, 1},
     14,
     400,
     QStringLiteral("EUR"),
     15,
     2.3},
    {QStringLiteral("FV3"), QStringLiteral("1.7.2026"), {2026, 7, 1}, 1, 5, QStringLiteral("CZK"), {}, 0},
};
owed.totals = {{QStringLiteral("CZK"), 589.11}, {QStringLiteral("EUR"), 2.3}};
return owed;
}  // namespace

TEST(LateInterestText, interestTableListsTheDocumentsWithARateAndTotalsPerCurrency) {
    const QString title =
        QStringLiteral("Doklad č.   Splatno Dnů prodlení Zbývá uhradit Sazba % p.a. Úrok z prodlení Měna ");
    EXPECT_EQ(LateInterestTable(owed(), QLatin1Char(',')),
              title + QStringLiteral("\r\n") + QString(title.size(), QLatin1Char(' ')) +
                  QStringLiteral(
                      "\r\n"
                      "FV1       15.6.2022          183      10000,00        11,75          589,11 CZK  \r\n"
                      "FV20      1.12.2022           14        400,00        15,00            2,30 EUR  \r\n"
                      "\r\n"
                      "Úrok z prodlení celkem: 589,11 CZK\r\n"
                      "Úrok z prodlení celkem: 2,30 EUR\r\n"));
    import::DebtorInterest none = owed();
    none.documents.erase(none.documents.begin(), none.documents.begin() + 2);
    EXPECT_EQ(LateInterestTable(none, QLatin1Char(',')), QString());
}

TEST(LateInterestText, bodyVariablesAreReplacedAndTheCompensationOnlyWhenClaimed) {
    TemplateValues values{QStringLiteral("15.12.2022"), QStringLiteral("Dodavatel"), QStringLiteral("Alfa"),
                          QStringLiteral("SEZNAM")};
    values.Uroky = QStringLiteral("TABULKA");
    values.Naklady = CompensationSentence(owed(), QLatin1Char(','));
    EXPECT_EQ(values.Naklady, QString());
    EXPECT_EQ(ReplaceTemplateVariables(QStringLiteral("%Uroky%|%NAKLADY%"), values, DocumentsVariable::Kept),
              QStringLiteral("%Uroky%|%NAKLADY%"));
    EXPECT_EQ(
        ReplaceTemplateVariables(QStringLiteral("%Uroky%|%NAKLADY%"), values, DocumentsVariable::Replaced),
        QStringLiteral("TABULKA|"));

    import::DebtorInterest claimed = owed();
    claimed.compensation = 2400;
    EXPECT_EQ(
        CompensationSentence(claimed, QLatin1Char(',')),
        QStringLiteral("Dále uplatňujeme náhradu nákladů spojených s uplatněním pohledávky ve výši 1 200 Kč "
                       "za každou pohledávku po splatnosti, celkem 2400,00 Kč."));
}

// The default pre-litigation notice names interest and compensation only when they are claimed,
// each as a paragraph of its own; with neither it reads as it did before they existed.
TEST(LateInterestText, thePreLitigationNoticeHasAParagraphForEachClaimAndNoGapWithout) {
    const QString notice = app::AppSettings::DefaultLevels()[2].Text;
    const QString before = QStringLiteral("SEZNAM\r\n\r\nTímto Vás vyzýváme");
    const struct {
        QString uroky, naklady, expected;
    } cases[] = {
        {{}, {}, before},
        {QStringLiteral("TABULKA\r\n"),
         {},
         QStringLiteral("SEZNAM\r\n\r\nTABULKA\r\n\r\nTímto Vás vyzýváme")},
        {{}, QStringLiteral("NÁHRADA."), QStringLiteral("SEZNAM\r\n\r\nNÁHRADA.\r\n\r\nTímto Vás vyzýváme")},
        {QStringLiteral("TABULKA\r\n"), QStringLiteral("NÁHRADA."),
         QStringLiteral("SEZNAM\r\n\r\nTABULKA\r\n\r\nNÁHRADA.\r\n\r\nTímto Vás vyzýváme")},
    };
    for (const auto& c : cases) {
        TemplateValues values{QStringLiteral("15.12.2022"), QStringLiteral("Dodavatel"),
                              QStringLiteral("Alfa"), QStringLiteral("SEZNAM\r\n")};
        values.Uroky = c.uroky;
        values.Naklady = c.naklady;
        const QString text = ReplaceTemplateVariables(notice, values, DocumentsVariable::Replaced);
        EXPECT_TRUE(text.contains(c.expected)) << text.toStdString();
    }
}

}  // namespace
