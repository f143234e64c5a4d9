#include "app/GuiUserInterface.h"

#include "app/CzechFileListModel.h"
#include "app/SetupVersionDialog.h"
#include "app/WaitMessageWindow.h"
#include "browser/NoteDialog.h"
#include "browser/SelectEmailDialog.h"
#include "sending/ReminderComposeDialog.h"
#include "widgets/YesNoQuestion.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpression>

namespace tervalo::app {

namespace {

void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace

void ShowErrorBox(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Critical, QStringLiteral("Chyba"), text);
}

GuiUserInterface::GuiUserInterface(QWidget* parent, TfrmWaitMessage& waitWindow, QProgressBar& progressBar)
    : m_parent(parent),
      m_waitWindow(waitWindow),
      m_progressBar(progressBar),
      m_frmSelectEmail(new browser::TfrmSelectEmail(parent)),
      m_frmInformace(new browser::TfrmInformace(parent)) {
    QObject::connect(m_frmSelectEmail, &browser::TfrmSelectEmail::addressRefused,
                     [this](const QString& text) { warning(text); });
}

// The dialogs belong to the parent window.
GuiUserInterface::~GuiUserInterface() = default;

std::optional<QString> GuiUserInterface::askEmailAddress(const QString& debtorName, const QString& address) {
    hideWaitWindow();
    m_frmSelectEmail->prepare(debtorName, address);
    if (m_frmSelectEmail->exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return m_frmSelectEmail->address();
}

std::optional<ReminderDraft> GuiUserInterface::composeReminder(
    const ReminderDraft& draft, const std::function<bool(ReminderDraft&)>& accept) {
    hideWaitWindow();
    sending::TfrmUpominkaEmailem dialog(m_parent);
    dialog.prepare(draft, accept);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.draft();
}

std::optional<QString> GuiUserInterface::editNote(const NoteDialogRequest& request) {
    m_frmInformace->prepare(request);
    if (m_frmInformace->exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return m_frmInformace->note();
}

// The waiting window never stands over a question, a message or a dialog: it goes before them.
void GuiUserInterface::hideWaitWindow() {
    m_waitWindow.hide();
}

void GuiUserInterface::information(const QString& text) {
    hideWaitWindow();
    showBox(m_parent, QMessageBox::Information, QStringLiteral("Informace"), text);
}

void GuiUserInterface::warning(const QString& text) {
    hideWaitWindow();
    showBox(m_parent, QMessageBox::Warning, QStringLiteral("Upozornění"), text);
}

void GuiUserInterface::error(const QString& text) {
    hideWaitWindow();
    ShowErrorBox(m_parent, text);
}

bool GuiUserInterface::confirm(const QString& text) {
    hideWaitWindow();
    return askYesNo(m_parent, text, true);
}

void GuiUserInterface::showWaitMessage(const QString& text, bool show) {
    m_waitWindow.setMessage(text);
    m_waitWindow.setVisible(show);
    processEvents();
}

void GuiUserInterface::processEvents() {
    const WorkInputFilter::Active noUserInput(m_workInputFilter);
    QApplication::processEvents();
}

void GuiUserInterface::setProgressMaximum(int maximum) {
    m_progressBar.setMaximum(maximum);
}

void GuiUserInterface::setProgress(int value) {
    m_progressBar.setValue(value);
}

QString GuiUserInterface::qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(QRegularExpression(QStringLiteral("\\s*\\([^)]*\\)\\s*$")));
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (pattern == QStringLiteral("*.*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            patterns << pattern;
            if (pattern.toLower() != pattern) {
                patterns << pattern.toLower();
            }
        }
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<QString> GuiUserInterface::runFileDialog(const FileDialogRequest& request, bool save) {
    hideWaitWindow();
    QFileDialog dialog(m_parent, request.title, request.initialFolder, qtNameFilters(request.filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultExtension);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new CzechFileListModel(&dialog));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first();
}

std::optional<QString> GuiUserInterface::chooseOpenFile(const FileDialogRequest& request) {
    return runFileDialog(request, false);
}

// The dialog asks before overwriting an existing file unless the request says otherwise.
std::optional<QString> GuiUserInterface::chooseSaveFile(const FileDialogRequest& request) {
    return runFileDialog(request, true);
}

// Shown before the main window: without a parent it is a window of its own, centred on the screen.
SetupVersionAnswer GuiUserInterface::chooseSetupVersion(const QStringList& versions) {
    TfrmSetupVer dialog(versions);
    if (dialog.exec() != QDialog::Accepted || !dialog.selectedLine()) {
        return {SetupVersionAnswer::Cancelled};
    }
    return {SetupVersionAnswer::Chosen, *dialog.selectedLine()};
}

}  // namespace tervalo::app
