#include "transport/mailclient/TJclSimpleMapi.h"

#include "transport/mailclient/DefaultHandler.h"
#include "transport/mailclient/DesktopKeyFile.h"
#include "transport/mailclient/MailClientErrors.h"
#include "transport/mailclient/MailSubmissionProgram.h"

#include <QDir>
#include <QDirIterator>
#include <QSet>

#include <algorithm>
#include <vector>

namespace tervalo::transport {

namespace {

const QString kMailtoType = QStringLiteral("x-scheme-handler/mailto");
const QString kEntryGroup = QStringLiteral("Desktop Entry");

struct EntryFile {
    QString id;  // the path under "applications/" with "/" written as "-"
    QString path;
};

std::vector<EntryFile> desktopEntries(const QString& applications) {
    std::vector<EntryFile> entries;
    QDirIterator it(applications, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QString path = it.next();
        entries.push_back(
            {QDir(applications).relativeFilePath(path).replace(QLatin1Char('/'), QLatin1Char('-')), path});
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    return entries;
}

QString czechName(const DesktopKeyFile& entry) {
    for (const char* key : {"Name[cs_CZ]", "Name[cs]", "Name"}) {
        if (auto name = entry.value(kEntryGroup, QString::fromLatin1(key))) {
            return *name;
        }
    }
    return {};
}

struct ListedClient {
    TJclMapiClient client;
    MailClientCommand command;
};

bool isApplication(const DesktopKeyFile& entry) {
    return entry.value(kEntryGroup, QStringLiteral("Type")) == QStringLiteral("Application") &&
           entry.value(kEntryGroup, QStringLiteral("Hidden")) != QStringLiteral("true");
}

bool listsMailto(const DesktopKeyFile& entry) {
    return entry.list(kEntryGroup, QStringLiteral("MimeType")).contains(kMailtoType);
}

// A client for the application entry `entry`; usable when its program, and the program named by
// TryExec if any, can be found.
ListedClient mailClientOf(const DesktopKeyFile& entry, const EntryFile& file, const QStringList& searchPath) {
    ListedClient listed;
    TJclMapiClient& client = listed.client;
    client.ClientKeyName = file.id;
    client.ClientTitle = czechName(entry);
    const QString exec = entry.value(kEntryGroup, QStringLiteral("Exec")).value_or(QString());
    const QString program = programOfExec(exec);
    const QString resolved = resolveProgram(program, searchPath);
    const std::optional<QString> tryExec = entry.value(kEntryGroup, QStringLiteral("TryExec"));
    client.ClientLibraryPath = resolved.isEmpty() ? program : resolved;
    client.ClientUsable =
        !resolved.isEmpty() && (!tryExec || !resolveProgram(*tryExec, searchPath).isEmpty());
    listed.command = {exec, entry.value(kEntryGroup, QStringLiteral("Icon")).value_or(QString()),
                      client.ClientTitle, file.path};
    return listed;
}

}  // namespace

TJclSimpleMapi::TJclSimpleMapi() : TJclSimpleMapi(MailClientEnvironment::fromEnvironment()) {}

TJclSimpleMapi::TJclSimpleMapi(const MailClientEnvironment& environment) {
    EnumerateMailClients(environment);
}

void TJclSimpleMapi::EnumerateMailClients(const MailClientEnvironment& env) {
    m_systemMailPos = -1;
    m_clientList.clear();
    m_commands.clear();
    QHash<QString, HandlerEntry> handlers;  // by id in lower case
    QHash<QString, EntryFile> files;
    QSet<QString> seenIds;
    for (int dataDir = 0; dataDir < env.dataDirs.size(); ++dataDir) {
        const QString applications = env.dataDirs[dataDir] + QStringLiteral("/applications");
        for (const EntryFile& file : desktopEntries(applications)) {
            // A hidden entry still hides the same id in later folders: that is how one is removed.
            if (seenIds.contains(file.id)) {
                continue;
            }
            seenIds.insert(file.id);
            const DesktopKeyFile entry = DesktopKeyFile::read(file.path);
            if (!isApplication(entry)) {
                continue;
            }
            const ListedClient listed = mailClientOf(entry, file, env.searchPath);
            handlers.insert(file.id.toLower(), {dataDir, listsMailto(entry), listed.client.ClientUsable});
            files.insert(file.id.toLower(), file);
            if (listsMailto(entry)) {
                m_clientList.append(listed.client);
                m_commands.append(listed.command);
            }
        }
    }
    const QString defaultId = DefaultHandlerId(env, kMailtoType, handlers);
    m_defaultClientPos = -1;
    for (int i = 0; i < m_clientList.size() && !defaultId.isEmpty(); ++i) {
        if (m_clientList[i].ClientKeyName.toLower() == defaultId) {
            m_defaultClientPos = i;
        }
    }
    // A default named in a list although its entry does not list the type itself.
    if (!defaultId.isEmpty() && m_defaultClientPos < 0) {
        const EntryFile file = files.value(defaultId);
        const ListedClient listed = mailClientOf(DesktopKeyFile::read(file.path), file, env.searchPath);
        m_defaultClientPos = int(m_clientList.size());
        m_clientList.append(listed.client);
        m_commands.append(listed.command);
    }
    if (QString sendmail = FindMailSubmissionProgram(env); !sendmail.isEmpty()) {
        m_systemMailPos = int(m_clientList.size());
        m_clientList.append({sendmailTitle(), sendmail, QStringLiteral("sendmail"), true});
        m_commands.append(MailClientCommand{});
    }
    m_selectedClientPos = m_defaultClientPos;
    m_anyClientPresent =
        std::any_of(m_clientList.begin(), m_clientList.end(), [](const auto& c) { return c.ClientUsable; });
}

void TJclSimpleMapi::SelectMailClient(int position) {
    if (position < 0 || position >= m_clientList.size()) {
        RaiseClientNotListed();
    }
    m_selectedClientPos = position;
}

int TJclSimpleMapi::ComposeClientPos() const {
    const bool selectedUsable = m_selectedClientPos >= 0 && m_selectedClientPos < m_clientList.size() &&
                                m_selectedClientPos != m_systemMailPos &&
                                m_clientList[m_selectedClientPos].ClientUsable;
    const int selected = selectedUsable ? m_selectedClientPos : -1;
    switch (m_clientChoice) {
        case ccDefaultMapi:
            return m_defaultClientPos;
        case ccDirect:
            return selected >= 0 ? selected : m_defaultClientPos;
        case ccAutomatic:
            break;
    }
    return m_defaultClientPos >= 0 ? m_defaultClientPos : selected;
}

}  // namespace tervalo::transport
