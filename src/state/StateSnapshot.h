#pragma once

#include "state/FixedKeyTable.h"
#include "state/StoredKey.h"
#include "state/dbf/DbfError.h"

#include "platform/SystemLocale.h"

#include <QString>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace tervalo::state {

namespace dbf {
class DbfTable;
}

// What a document's stored record says for the document grid.
struct DocumentState {
    bool exportFlag = true;
    bool hasNote = false;
};

// The flags of both state tables as they stood when it was taken, answering the questions of a load
// (StateTables::GetAddressExport, StateTables::documentState) from memory. It holds one key and one
// byte per stored record, so it is meant to live for one load.
class StateSnapshot {
public:
    // Reads each table once; the tables must be open.
    StateSnapshot(const dbf::DbfTable& earchiv, const dbf::DbfTable& edoklady,
                  const platform::SystemLocale& locale);

    // As StateTables::GetAddressExport.
    bool addressExport(const QString& address) const;
    // As StateTables::documentState; throws the error of a note that could not be read.
    DocumentState documentState(const QString& number) const { return documentState(documentQuery(number)); }

    // The same in two steps: the query makes the key and starts fetching its place in the table into
    // the processor's cache, so that asking it after other work on the same row does not wait for
    // memory (a million documents in random order otherwise wait for every one).
    struct DocumentQuery {
        bool empty = true;
        std::size_t home = 0;
        std::array<char, 255> key{};  // the stored key; a character field is at most 255 wide
    };
    DocumentQuery documentQuery(const QString& number) const;
    DocumentState documentState(const DocumentQuery& query) const;

private:
    // A table's key field and the flags stored under each key; a key stored twice answers from its
    // first record, as the index orders equal keys by record number.
    struct Keyed {
        StoredKey key;
        FixedKeyTable flags;
        std::optional<quint8> find(const QString& text) const;
    };
    static Keyed keyed(const dbf::DbfTable& table, const QString& field,
                       const platform::SystemLocale& locale);

    Keyed m_addresses;
    Keyed m_documents;
    // Notes whose memo could not be read: the key and the error, raised when that document is asked for.
    std::vector<std::pair<QByteArray, dbf::DbfError>> m_noteErrors;
};

}  // namespace tervalo::state
