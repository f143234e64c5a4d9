#include "app/AboutDialog.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

// The help line wraps by itself, so no word may carry the hyphen of a fixed line break.
TEST(TfrmAbout, helpLineReadsWholeWordsAndOpensTheHelpAndTheProtocol) {
    app::AppSession session{platform::SystemLocale()};
    QStringList topics;
    int protocolShown = 0;
    app::TfrmAbout dialog(
        session, [&topics](const QString& topic) { topics << topic; }, [&protocolShown] { ++protocolShown; });
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QLabel* help = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text().startsWith(QStringLiteral("Chcete-li zobrazit nápovědu"))) {
            help = label;
        }
    }
    ASSERT_NE(help, nullptr);
    QString shown = help->text();
    shown.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    EXPECT_EQ(shown, QStringLiteral("Chcete-li zobrazit nápovědu, klepněte zde. Textový protokol hromadného "
                                    "e-mailingu (je-li k dispozici) zobrazíte klepnutím zde."));
    EXPECT_TRUE(help->wordWrap());
    Q_EMIT help->linkActivated(QStringLiteral("help"));
    EXPECT_EQ(topics, QStringList{QStringLiteral("pgMain.htm")});
    Q_EMIT help->linkActivated(QStringLiteral("protocol"));
    EXPECT_EQ(protocolShown, 1);
}

}  // namespace
