#include "support/FakeUserInterface.h"

#include <gtest/gtest.h>

namespace tervalo::test {

bool FakeUserInterface::confirm(const QString& text) {
    m_messages.push_back({QStringLiteral("confirmation"), text});
    if (m_confirmations.empty()) {
        ADD_FAILURE() << "unexpected confirmation: " << text.toStdString();
        return false;
    }
    bool answer = m_confirmations.front();
    m_confirmations.pop_front();
    return answer;
}

void FakeUserInterface::showWaitMessage(const QString& text, bool show) {
    m_waitMessages.push_back(show ? text : QString());
    m_waitVisible = show;
}

std::optional<QString> FakeUserInterface::nextFile(const FileDialogRequest& request) {
    m_fileRequests.push_back(request);
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << request.title.toStdString();
        return std::nullopt;
    }
    auto answer = m_files.front();
    m_files.pop_front();
    return answer;
}

std::optional<QString> FakeUserInterface::askEmailAddress(const QString& debtorName, const QString& address) {
    m_emailRequests.push_back({debtorName, address});
    if (m_addresses.empty()) {
        ADD_FAILURE() << "unexpected address dialog for " << debtorName.toStdString();
        return std::nullopt;
    }
    auto answer = m_addresses.front();
    m_addresses.pop_front();
    return answer;
}

std::optional<QString> FakeUserInterface::editNote(const NoteDialogRequest& request) {
    m_noteRequests.push_back(request);
    if (m_notes.empty()) {
        ADD_FAILURE() << "unexpected note dialog for " << request.key.toStdString();
        return std::nullopt;
    }
    auto answer = m_notes.front();
    m_notes.pop_front();
    return answer;
}

std::optional<QString> FakeUserInterface::chooseOpenFile(const FileDialogRequest& request) {
    return nextFile(request);
}

std::optional<QString> FakeUserInterface::chooseSaveFile(const FileDialogRequest& request) {
    return nextFile(request);
}

SetupVersionAnswer FakeUserInterface::chooseSetupVersion(const QStringList& versions) {
    m_setupVersionRequests.push_back(versions);
    if (m_setupVersions.empty()) {
        ADD_FAILURE() << "unexpected version chooser";
        return {SetupVersionAnswer::Cancelled};
    }
    auto answer = m_setupVersions.front();
    m_setupVersions.pop_front();
    return answer;
}

}  // namespace tervalo::test
