#include "transport/mailclient/DefaultHandler.h"

#include "transport/mailclient/DesktopKeyFile.h"

#include <algorithm>
#include <vector>

namespace tervalo::transport {

namespace {

const QString kDefaults = QStringLiteral("Default Applications");
const QString kAdded = QStringLiteral("Added Associations");
const QString kRemoved = QStringLiteral("Removed Associations");

// One list file and what it may hold: desktop-specific lists and the old defaults.list name
// defaults only.
struct ListFile {
    QString path;
    int level;  // config folders first, then data folders, in their order
    bool associations;
};

std::vector<ListFile> listFiles(const MailClientEnvironment& env) {
    std::vector<ListFile> files;
    int level = 0;
    const auto addFrom = [&](const QString& folder, bool withDefaultsList) {
        for (const QString& desktop : env.desktopNames) {
            files.push_back(
                {folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list"), level, false});
        }
        files.push_back({folder + QStringLiteral("/mimeapps.list"), level, true});
        if (withDefaultsList) {
            files.push_back({folder + QStringLiteral("/defaults.list"), level, false});
        }
        ++level;
    };
    for (const QString& folder : env.configDirs) {
        addFrom(folder, false);
    }
    for (const QString& folder : env.dataDirs) {
        addFrom(folder + QStringLiteral("/applications"), true);
    }
    return files;
}

bool installed(const QHash<QString, HandlerEntry>& entries, const QString& id) {
    const auto it = entries.constFind(id.toLower());
    return it != entries.constEnd() && it->installed;
}

// The ids of data folder `dataDir` that list the type: the folder's cache in its order, then the
// entries the cache does not know (it may be stale or missing), by id.
QStringList idsListingTheType(const QString& folder, int dataDir, const QString& mimeType,
                              const QHash<QString, HandlerEntry>& entries) {
    QStringList ids;
    const DesktopKeyFile cache =
        DesktopKeyFile::read(folder + QStringLiteral("/applications/mimeinfo.cache"));
    for (const QString& id : cache.list(QStringLiteral("MIME Cache"), mimeType)) {
        if (!ids.contains(id.toLower())) {
            ids.append(id.toLower());
        }
    }
    QStringList rest;
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        if (it->dataDirIndex == dataDir && it->listsType && !ids.contains(it.key())) {
            rest.append(it.key());
        }
    }
    std::sort(rest.begin(), rest.end());
    return ids + rest;
}

}  // namespace

QString DefaultHandlerId(const MailClientEnvironment& environment, const QString& mimeType,
                         const QHash<QString, HandlerEntry>& entries) {
    const std::vector<ListFile> files = listFiles(environment);
    std::vector<DesktopKeyFile> lists;
    lists.reserve(files.size());
    for (const ListFile& file : files) {
        lists.push_back(DesktopKeyFile::read(file.path));
    }
    for (const DesktopKeyFile& list : lists) {
        for (const QString& id : list.list(kDefaults, mimeType)) {
            if (installed(entries, id)) {
                return id.toLower();
            }
        }
    }
    QHash<QString, int> removedAt;  // id -> the level of its first removal
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].associations) {
            continue;
        }
        for (const QString& id : lists[i].list(kAdded, mimeType)) {
            if (!removedAt.contains(id.toLower()) && installed(entries, id)) {
                return id.toLower();
            }
        }
        for (const QString& id : lists[i].list(kRemoved, mimeType)) {
            if (!removedAt.contains(id.toLower())) {
                removedAt.insert(id.toLower(), files[i].level);
            }
        }
    }
    const int firstDataLevel = int(environment.configDirs.size());
    for (int dataDir = 0; dataDir < environment.dataDirs.size(); ++dataDir) {
        for (const QString& id :
             idsListingTheType(environment.dataDirs[dataDir], dataDir, mimeType, entries)) {
            const HandlerEntry entry = entries.value(id);
            const bool removed = removedAt.contains(id) && removedAt.value(id) <= firstDataLevel + dataDir;
            // An id in a later folder's cache whose file an earlier folder hides is that earlier file's.
            if (entry.dataDirIndex == dataDir && entry.listsType && entry.installed && !removed) {
                return id;
            }
        }
    }
    return {};
}

}  // namespace tervalo::transport
