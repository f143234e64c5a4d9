#include "compose/EmailKlientTable.h"

namespace tervalo::compose {

void EmailKlientTable::reopen() {
    rows.clear();
    current = -1;
    defaultClient.clear();
    submissionProgram.clear();
}

void EmailKlientTable::append(const QString& client, const QString& path) {
    rows.append({client.left(kFieldSize), path.left(kFieldSize)});
    current = int(rows.size()) - 1;
}

int EmailKlientTable::locateClient(const QString& client) const {
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].Client.compare(client, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString EmailKlientTable::currentClient() const {
    return current >= 0 && current < rows.size() ? rows[current].Client : QString();
}

}  // namespace tervalo::compose
