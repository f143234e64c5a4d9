#include "transport/TJclSimpleMapi.h"

#include "transport/DesktopKeyFile.h"
#include "transport/EJclMapiError.h"
#include "transport/MailSubmissionProgram.h"

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

std::optional<ListedClient> mailClientOf(const DesktopKeyFile& entry, const EntryFile& file,
                                         const QStringList& searchPath) {
    if (entry.value(kEntryGroup, QStringLiteral("Type")) != QStringLiteral("Application") ||
        entry.value(kEntryGroup, QStringLiteral("Hidden")) == QStringLiteral("true") ||
        !entry.list(kEntryGroup, QStringLiteral("MimeType")).contains(kMailtoType)) {
        return std::nullopt;
    }
    ListedClient listed;
    TJclMapiClient& client = listed.client;
    client.ClientKeyName = file.id;
    client.ClientTitle = czechName(entry);
    const QString exec = entry.value(kEntryGroup, QStringLiteral("Exec")).value_or(QString());
    const QString program = programOfExec(exec);
    const QString resolved = resolveProgram(program, searchPath);
    client.ClientLibraryPath = resolved.isEmpty() ? program : resolved;
    client.ClientUsable = !resolved.isEmpty();
    listed.command = {exec, entry.value(kEntryGroup, QStringLiteral("Icon")).value_or(QString()),
                      client.ClientTitle, file.path};
    return listed;
}

// The mimeapps.list files in the order the XDG rules consult them.
QStringList mimeAppsLists(const MailClientEnvironment& env) {
    QStringList files;
    const auto addFrom = [&](const QString& folder) {
        for (const QString& desktop : env.desktopNames) {
            files << folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        }
        files << folder + QStringLiteral("/mimeapps.list");
    };
    for (const QString& folder : env.configDirs) {
        addFrom(folder);
    }
    for (const QString& folder : env.dataDirs) {
        addFrom(folder + QStringLiteral("/applications"));
    }
    return files;
}

int defaultClientPosition(const MailClientEnvironment& env, const QList<TJclMapiClient>& clients) {
    for (const QString& file : mimeAppsLists(env)) {
        const DesktopKeyFile list = DesktopKeyFile::read(file);
        for (const QString& id : list.list(QStringLiteral("Default Applications"), kMailtoType)) {
            for (int i = 0; i < clients.size(); ++i) {
                if (clients[i].ClientKeyName.compare(id, Qt::CaseInsensitive) == 0) {
                    return i;
                }
            }
        }
    }
    return -1;
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
    QSet<QString> seenIds;
    for (const QString& dataDir : env.dataDirs) {
        const QString applications = dataDir + QStringLiteral("/applications");
        for (const EntryFile& entry : desktopEntries(applications)) {
            if (seenIds.contains(entry.id)) {
                continue;
            }
            seenIds.insert(entry.id);
            if (auto listed = mailClientOf(DesktopKeyFile::read(entry.path), entry, env.searchPath)) {
                m_clientList.append(listed->client);
                m_commands.append(listed->command);
            }
        }
    }
    m_defaultClientPos = defaultClientPosition(env, m_clientList);
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
        throw EJclMapiError(QStringLiteral("Index is out ot range"));
    }
    m_selectedClientPos = position;
}

}  // namespace tervalo::transport
