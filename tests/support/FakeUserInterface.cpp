#include "support/FakeUserInterface.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <utility>

namespace tervalo::test {

namespace {

// The next scripted answer. Moved out before the queue shrinks: copying an optional QString here and
// returning it after pop_front() makes GCC's optimiser warn of an uninitialised string.
template <class T>
T takeFront(std::deque<T>& queue) {
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

}  // namespace

FakeUserInterface::~FakeUserInterface() {
    const std::pair<const char*, std::size_t> unused[] = {
        {"confirmation", m_confirmations.size()}, {"file dialog", m_files.size()},
        {"address dialog", m_addresses.size()},   {"note dialog", m_notes.size()},
        {"compose window", m_drafts.size()},      {"version chooser", m_setupVersions.size()}};
    for (const auto& [dialog, count] : unused) {
        if (count != 0) {
            ADD_FAILURE() << count << " queued answer(s) of the " << dialog << " never asked for";
        }
    }
}

bool FakeUserInterface::confirm(const QString& text) {
    m_messages.push_back({QStringLiteral("confirmation"), text});
    if (m_confirmations.empty()) {
        ADD_FAILURE() << "unexpected confirmation: " << text.toStdString();
        return false;
    }
    return takeFront(m_confirmations);
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
    return takeFront(m_files);
}

std::optional<QString> FakeUserInterface::askEmailAddress(const QString& debtorName, const QString& address) {
    m_emailRequests.push_back({debtorName, address});
    if (m_addresses.empty()) {
        ADD_FAILURE() << "unexpected address dialog for " << debtorName.toStdString();
        return std::nullopt;
    }
    return takeFront(m_addresses);
}

std::optional<QString> FakeUserInterface::editNote(const NoteDialogRequest& request) {
    m_noteRequests.push_back(request);
    if (m_notes.empty()) {
        ADD_FAILURE() << "unexpected note dialog for " << request.key.toStdString();
        return std::nullopt;
    }
    return takeFront(m_notes);
}

std::optional<ReminderDraft> FakeUserInterface::composeReminder(
    const ReminderDraft& draft, const std::function<bool(ReminderDraft&)>& accept) {
    m_shownDrafts.push_back(draft);
    for (;;) {
        if (m_drafts.empty()) {
            ADD_FAILURE() << "unexpected compose window for " << draft.to.toStdString();
            return std::nullopt;
        }
        std::optional<ReminderDraft> answer = takeFront(m_drafts);
        if (!answer || accept(*answer)) {
            return answer;
        }
    }
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
    return takeFront(m_setupVersions);
}

}  // namespace tervalo::test
