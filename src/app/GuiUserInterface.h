#pragma once

#include "app/WorkInputFilter.h"
#include "platform/UserInterface.h"

class QProgressBar;
class QWidget;

namespace tervalo::browser {
class TfrmInformace;
class TfrmSelectEmail;
}  // namespace tervalo::browser

namespace tervalo::app {

class TfrmWaitMessage;

// The error message box, "Chyba" with a Czech OK button.
void ShowErrorBox(QWidget* parent, const QString& text);

// The port implemented with widgets: message boxes with Czech buttons, the waiting window (hidden
// before every message box, question and dialog), the main window's progress bar and the dialogs.
class GuiUserInterface : public UserInterface {
public:
    GuiUserInterface(QWidget* parent, TfrmWaitMessage& waitWindow, QProgressBar& progressBar);
    ~GuiUserInterface() override;

    void information(const QString& text) override;
    void warning(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& text) override;

    void showWaitMessage(const QString& text, bool show) override;
    // Repaints and timers run; user input is discarded meanwhile (WorkInputFilter).
    void processEvents() override;
    void setProgressMaximum(int maximum) override;
    void setProgress(int value) override;

    std::optional<QString> askEmailAddress(const QString& debtorName, const QString& address) override;
    std::optional<QString> editNote(const NoteDialogRequest& request) override;
    // TfrmUpominkaEmailem, made for this one reminder.
    std::optional<ReminderDraft> composeReminder(const ReminderDraft& draft,
                                                 const std::function<bool(ReminderDraft&)>& accept) override;
    std::optional<QString> chooseOpenFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseSaveFile(const FileDialogRequest& request) override;
    // TfrmSetupVer, made for this one question.
    SetupVersionAnswer chooseSetupVersion(const QStringList& versions) override;

    // "Description|*.EXT|..." pairs as a Qt name filter list; patterns also match lower case.
    static QString qtNameFilters(const QString& filter);

private:
    void hideWaitWindow();
    std::optional<QString> runFileDialog(const FileDialogRequest& request, bool save);

    QWidget* m_parent;
    TfrmWaitMessage& m_waitWindow;
    QProgressBar& m_progressBar;
    browser::TfrmSelectEmail* m_frmSelectEmail;
    browser::TfrmInformace* m_frmInformace;
    WorkInputFilter m_workInputFilter;
};

}  // namespace tervalo::app
