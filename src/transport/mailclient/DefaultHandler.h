#pragma once

#include "transport/mailclient/MailClientEnvironment.h"

#include <QHash>
#include <QString>

namespace tervalo::transport {

// What the rules for a type's default handler need to know of one desktop entry, by its id.
struct HandlerEntry {
    int dataDirIndex = 0;    // the data folder it was found in; an id found earlier hides later files
    bool listsType = false;  // its MimeType lists the type
    bool installed = false;  // an application, not hidden, whose program exists
};

// The id of the desktop entry the desktop opens `mimeType` with, by the freedesktop.org rules for
// associating applications with types; empty when there is none. The lists are read in this order:
// "<desktop>-mimeapps.list" for each current desktop name, then "mimeapps.list", in each config
// folder, then in "applications/" of each data folder, where the old "defaults.list" follows them.
//  1. The first installed entry named under [Default Applications] for the type.
//  2. Else the first installed entry under [Added Associations] of the plain "mimeapps.list" files,
//     unless a file read before it named it under [Removed Associations].
//  3. Else the first installed entry listing the type, folder by folder: those recorded in the
//     folder's "mimeinfo.cache" in its order, then the rest by id. A removal counts here when it was
//     made in a config folder or in this data folder or an earlier one.
// `entries` holds every desktop entry found, by its id in lower case: ids named in the lists are
// matched without regard to letter case.
QString DefaultHandlerId(const MailClientEnvironment& environment, const QString& mimeType,
                         const QHash<QString, HandlerEntry>& entries);

}  // namespace tervalo::transport
