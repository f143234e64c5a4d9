#pragma once

#include "platform/UserInterface.h"

#include <QTextStream>

namespace tervalo::cli {

// Messages go to stderr as one line each, "information: TEXT" and so on; questions are answered by
// the command line (--yes), file dialogs and the version chooser are never shown.
class CliUserInterface : public UserInterface {
public:
    explicit CliUserInterface(bool answerYes = false);

    void information(const QString& text) override { line(QStringLiteral("information"), text); }
    void warning(const QString& text) override { line(QStringLiteral("warning"), text); }
    void error(const QString& text) override { line(QStringLiteral("error"), text); }
    bool confirm(const QString& text) override;
    // A question that --yes does not answer: written as confirm writes it, answered by `answer`.
    bool confirmWith(const QString& text, bool answer);

    void showWaitMessage(const QString&, bool) override {}
    void processEvents() override {}
    void setProgressMaximum(int) override {}
    void setProgress(int) override {}

    // Dialogs that ask for input are cancelled: a scripted run changes nothing by them.
    std::optional<QString> askEmailAddress(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> editNote(const NoteDialogRequest&) override { return std::nullopt; }
    std::optional<ReminderDraft> composeReminder(const ReminderDraft&,
                                                 const std::function<bool(ReminderDraft&)>&) override {
        return std::nullopt;
    }
    std::optional<QString> chooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> chooseSaveFile(const FileDialogRequest&) override { return std::nullopt; }
    // The choice belongs to the user of the desktop program: it stays due.
    SetupVersionAnswer chooseSetupVersion(const QStringList&) override {
        return {SetupVersionAnswer::NotAsked};
    }

private:
    void line(const QString& kind, const QString& text);

    bool m_answerYes;
    QTextStream m_err;
};

}  // namespace tervalo::cli
