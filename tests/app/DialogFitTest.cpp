#include "AppFixture.h"
#include "app/AboutDialog.h"
#include "app/CzechQtTranslation.h"
#include "app/HelpFile.h"
#include "app/HelpWindow.h"
#include "app/ProgramIcon.h"
#include "browser/NoteDialog.h"
#include "browser/SelectEmailDialog.h"
#include "compose/SettingsDialog.h"
#include "sending/EmailingDialog.h"
#include "sending/ProtokolDialog.h"
#include "sending/TestEmailDialog.h"
#include "support/CaseName.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTranslator>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tervalo;

namespace {

// The room a 1024x768 screen leaves a window inside the window manager's frame.
constexpr QSize kSmallScreen(1024 - 8, 768 - 34);

// What of a widget its size cuts off, or empty when all of it shows. Texts are measured with the
// widget's font; the allowances cover frames and the arrows of combo and spin boxes.
QString clipped(const QWidget& widget) {
    const QSize minimum = widget.minimumSizeHint();
    const bool field = qobject_cast<const QLineEdit*>(&widget) != nullptr ||
                       qobject_cast<const QComboBox*>(&widget) != nullptr ||
                       qobject_cast<const QAbstractSpinBox*>(&widget) != nullptr ||
                       qobject_cast<const QAbstractButton*>(&widget) != nullptr;
    // The parts Qt builds into its widgets (the edit of a spin box) are measured with their widget.
    if (widget.objectName().startsWith(QStringLiteral("qt_"))) {
        return {};
    }
    const auto textWider = [&widget](const QString& text, int allowance) {
        return widget.width() < widget.fontMetrics().horizontalAdvance(text) + allowance;
    };
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (label->text().isEmpty()) {
            return {};
        }
        if (label->wordWrap()) {
            return label->height() < label->heightForWidth(label->width()) ? QStringLiteral("lines")
                                                                           : QString();
        }
        return label->width() < minimum.width() || label->height() < minimum.height() ? QStringLiteral("text")
                                                                                      : QString();
    }
    if (field && widget.height() < minimum.height()) {
        return QStringLiteral("height");
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
        const QString shown = edit->text().isEmpty() ? edit->placeholderText() : edit->displayText();
        return textWider(shown, 10) ? QStringLiteral("text ") + shown : QString();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        return textWider(combo->currentText(), 30) ? QStringLiteral("text ") + combo->currentText()
                                                   : QString();
    }
    if (const auto* spin = qobject_cast<const QSpinBox*>(&widget)) {
        return textWider(spin->text(), 30) ? QStringLiteral("text ") + spin->text() : QString();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        return !button->text().isEmpty() && button->width() < minimum.width() ? QStringLiteral("text")
                                                                              : QString();
    }
    return {};
}

// Every label and field the window shows now, with what of it is cut off.
std::vector<std::string> clippedWidgets(const QWidget& window) {
    std::vector<std::string> found;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window)) {
            continue;
        }
        if (const QString cut = clipped(*widget); !cut.isEmpty()) {
            found.push_back(
                QStringLiteral("%1 %2 (%3x%4): %5")
                    .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName())
                    .arg(widget->width())
                    .arg(widget->height())
                    .arg(cut)
                    .toStdString());
        }
    }
    return found;
}

// Every dialog of the program, filled as a user meets it.
struct Dialogs : test::AppFixture {
    Dialogs() {
        session.settings.SMTPHost = QStringLiteral("smtp.poskytovatel.cz");
        session.settings.SMTPPort = 2525;
        session.settings.SMTPFromName = QStringLiteral("Účtárna Dřevovýroby Šťastný");
        session.settings.DefaultSendMail = false;
    }
    compose::TfrmNastaveni settings{session.settings, session.mtEmailKlient, ui, session.locale};
    sending::Protocol protocol;
};

struct DialogCase {
    std::string name;
    std::function<QWidget*(Dialogs&)> open;  // the shown window, owned by the fixture or by `owned`
};

std::unique_ptr<QWidget> owned;

QWidget* settingsOn(Dialogs& d, int tab) {
    d.settings.prepareEdit(tab);
    return &d.settings;
}

class DialogFitTest : public ::testing::TestWithParam<DialogCase> {};

// Shown at its size hint, which fits a 1024x768 screen, no label or field is cut off.
TEST_P(DialogFitTest, fitsA1024x768ScreenWithNothingCutOff) {
    Dialogs dialogs;
    QWidget* window = GetParam().open(dialogs);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->layout()->activate();
    const QSize hint = window->sizeHint().expandedTo(window->minimumSize());
    EXPECT_LE(hint.width(), kSmallScreen.width());
    EXPECT_LE(hint.height(), kSmallScreen.height());
    window->resize(hint);
    QApplication::processEvents();
    EXPECT_EQ(clippedWidgets(*window), std::vector<std::string>());
    window->hide();
    owned.reset();
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogFitTest,
    ::testing::Values(
        DialogCase{"settings_message",
                   [](Dialogs& d) { return settingsOn(d, compose::TfrmNastaveni::PostovniZprava); }},
        DialogCase{"settings_document_list",
                   [](Dialogs& d) { return settingsOn(d, compose::TfrmNastaveni::SeznamDokladu); }},
        DialogCase{"settings_sending",
                   [](Dialogs& d) { return settingsOn(d, compose::TfrmNastaveni::OdesilaniEmailu); }},
        DialogCase{"settings_qr_platba",
                   [](Dialogs& d) { return settingsOn(d, compose::TfrmNastaveni::QrPlatba); }},
        DialogCase{"bulk",
                   [](Dialogs& d) {
                       owned = std::make_unique<sending::TfrmEmailing>(d.session, d.ui, d.settings);
                       return owned.get();
                   }},
        DialogCase{"test_mode",
                   [](Dialogs& d) {
                       owned = std::make_unique<sending::TfrmTestEmail>(d.ui);
                       return owned.get();
                   }},
        DialogCase{"protocol",
                   [](Dialogs& d) {
                       d.protocol.AddProtocolLine(
                           QStringLiteral("Odesílání e-mailu na Alfa Stavby s.r.o. (a@b.cz)"));
                       auto dialog = std::make_unique<sending::TfrmProtokol>(d.protocol, d.ui);
                       dialog->prepareShow();
                       owned = std::move(dialog);
                       return owned.get();
                   }},
        DialogCase{"note",
                   [](Dialogs&) {
                       auto dialog = std::make_unique<browser::TfrmInformace>();
                       NoteDialogRequest request;
                       request.infoText =
                           QStringLiteral("K e-mailové adrese můžete zadat libovolnou poznámku.");
                       request.heading = QStringLiteral("Poznámka k e-mailové adrese ");
                       request.key = QStringLiteral("fakturace@elektrozizka.cz");
                       request.showLastSend = true;
                       request.lastSend = QStringLiteral("10.12.2026");
                       dialog->prepare(request);
                       owned = std::move(dialog);
                       return owned.get();
                   }},
        DialogCase{"address",
                   [](Dialogs&) {
                       auto dialog = std::make_unique<browser::TfrmSelectEmail>();
                       dialog->prepare(QStringLiteral("Jednota Ústí, spotřební družstvo"),
                                       QStringLiteral("jednota@usti.cz"));
                       owned = std::move(dialog);
                       return owned.get();
                   }},
        DialogCase{"help",
                   [](Dialogs&) {
                       auto window = std::make_unique<app::TfrmNapoveda>();
                       window->showHelp(
                           *app::HelpFile::open(QStringLiteral(TERVALO_APP_DIR "/Setup/1/Tervalo.chm")),
                           QStringLiteral("pgMain.htm"));
                       owned = std::move(window);
                       return owned.get();
                   }},
        DialogCase{"about",
                   [](Dialogs& d) {
                       owned = std::make_unique<app::TfrmAbout>(
                           d.session, [](const QString&) {}, [] {});
                       return owned.get();
                   }}),
    test::CaseName());

QString withoutAccelerator(QString text) {
    return text.remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
}

// The program installs Qt's Czech translation whatever the locale; the tests run under the C locale.
TEST(CzechQtTranslation, standardButtonsAndTheTextFieldMenuReadCzech) {
    QTranslator* translator = app::installCzechQtTranslation(*qApp);
    ASSERT_NE(translator, nullptr) << "Qt's Czech translation is not installed (qt6-translations-l10n)";
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save | QDialogButtonBox::Open);
    EXPECT_THAT(buttons.button(QDialogButtonBox::Cancel)->text(),
                ::testing::AnyOf(QStringLiteral("Zrušit"), QStringLiteral("Storno")));
    EXPECT_EQ(withoutAccelerator(buttons.button(QDialogButtonBox::Save)->text()), QStringLiteral("Uložit"));
    EXPECT_EQ(withoutAccelerator(buttons.button(QDialogButtonBox::Open)->text()), QStringLiteral("Otevřít"));
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << withoutAccelerator(action->text());
        }
    }
    EXPECT_THAT(texts, ::testing::IsSupersetOf({QStringLiteral("Vložit"), QStringLiteral("Vybrat vše")}));
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

// The installed SVG, built into the program, draws: the plugins that read it are installed.
TEST(ProgramIcon, drawsInTheWindowsAndTheAboutBox) {
    EXPECT_FALSE(app::programIcon().pixmap(32, 32).isNull());
    app::AppSession session{platform::SystemLocale()};
    app::TfrmAbout about(
        session, [](const QString&) {}, [] {});
    const auto* icon = about.findChild<QLabel*>(QStringLiteral("imgIkona"));
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
}

}  // namespace
