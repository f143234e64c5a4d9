#include "browser/NoteDialog.h"

#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

// A note that is only looked at and confirmed comes back exactly as it was stored.
TEST(TfrmInformace, confirmedNoteKeepsNonBreakingSpacesAndLines) {
    browser::TfrmInformace dialog;
    NoteDialogRequest request;
    request.note = QStringLiteral("Platí\u00a0vždy pozdě\n\n1\u00a0000\u00a0Kč");
    dialog.prepare(request);
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.note(), request.note);

    auto* edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("memPoznamka"));
    ASSERT_NE(edit, nullptr);
    edit->moveCursor(QTextCursor::End);
    QTest::keyClick(edit, Qt::Key_Return);
    edit->insertPlainText(QStringLiteral("a\u00a0b"));
    EXPECT_EQ(dialog.note(), request.note + QStringLiteral("\na\u00a0b"));
}

}  // namespace
