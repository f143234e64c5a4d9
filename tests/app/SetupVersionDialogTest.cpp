#include "app/SetupVersionDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

TEST(TfrmSetupVer, offersTheVersionsWithTheFirstSelected) {
    app::TfrmSetupVer dialog({QStringLiteral("Ekvan řada 1"), QStringLiteral("Ekvan řada 2")});
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Verze Ekvan"));
    EXPECT_EQ(dialog.size(), QSize(487, 369));
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("ListBox1"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("Ekvan řada 2"));
    EXPECT_EQ(dialog.selectedLine(), 0);
    const QString instruction = dialog.findChild<QLabel*>(QStringLiteral("lblInstrukce"))->text();
    EXPECT_TRUE(instruction.contains(QStringLiteral("<b>Věnujte</b>")));
    EXPECT_TRUE(instruction.contains(QStringLiteral("<b>prosím pozornost této volbě</b>")));
    EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("imgPriklad"))->pixmap().isNull());
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->isDefault());

    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedLine(), 1);
}

TEST(TfrmSetupVer, zrusitCancels) {
    app::TfrmSetupVer dialog({QStringLiteral("a"), QStringLiteral("b")});
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnZrusit")), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
