#pragma once

#include "platform/UserInterface.h"

namespace tervalo::platform {

// Every message dropped and every question answered No or Cancel, noting whether anything was to be
// said: work done ahead of its turn runs with it, and is done again in its turn when it spoke.
// Repaints and progress are not messages.
class SilentUserInterface : public UserInterface {
public:
    bool spoke() const { return m_spoke; }

    void information(const QString&) override { m_spoke = true; }
    void warning(const QString&) override { m_spoke = true; }
    void error(const QString&) override { m_spoke = true; }
    bool confirm(const QString&) override { return speak(false); }
    void showWaitMessage(const QString&, bool) override { m_spoke = true; }
    void processEvents() override {}
    void setProgressMaximum(int) override {}
    void setProgress(int) override {}
    std::optional<QString> askEmailAddress(const QString&, const QString&) override {
        return speak(std::optional<QString>());
    }
    std::optional<QString> editNote(const NoteDialogRequest&) override {
        return speak(std::optional<QString>());
    }
    std::optional<ReminderDraft> composeReminder(const ReminderDraft&,
                                                 const std::function<bool(ReminderDraft&)>&) override {
        return speak(std::optional<ReminderDraft>());
    }
    std::optional<QString> chooseOpenFile(const FileDialogRequest&) override {
        return speak(std::optional<QString>());
    }
    std::optional<QString> chooseSaveFile(const FileDialogRequest&) override {
        return speak(std::optional<QString>());
    }
    SetupVersionAnswer chooseSetupVersion(const QStringList&) override { return speak(SetupVersionAnswer()); }

private:
    template <typename Answer>
    Answer speak(Answer answer) {
        m_spoke = true;
        return answer;
    }

    bool m_spoke = false;
};

}  // namespace tervalo::platform
