#pragma once

#include "state/StateSnapshot.h"
#include "state/dbf/DbfError.h"
#include "state/dbf/DbfTable.h"

#include "platform/SystemLocale.h"

#include <QDate>
#include <QString>

#include <memory>

namespace tervalo::state {

// What the user must see when a state table fails: `message()` (and `what()`) is the exact text.
using StateError = dbf::DbfError;

// A stored address record (EArchiv.dat) as the note dialog and the command line see it.
struct AddressRecord {
    bool exists = false;
    QString email;
    bool exportFlag = true;
    QDate lastSend;  // null when no reminder was recorded
    QString note;
};

// A stored document record (EDoklady.dat).
struct DocumentRecord {
    bool exists = false;
    QString doklad;
    bool exportFlag = true;
    QString note;
};

// The user's decisions about e-mail addresses and documents, kept across runs in two dBASE tables in
// the program folder: EArchiv.dat (EMAIL, EXPORT, LASTSEND, NOTE) and EDoklady.dat (DOKLAD, EXPORT,
// POZN), each with its memo (.dbt) and production index (.mdx). Keys are upper-cased by the locale and
// cut to the field width; every write looks the key up first, so a key has at most one record.
// Errors of the table layer are not caught here: they reach the caller as StateError; a write that
// meets a record another process is writing waits a moment for it before "Record locked." comes.
class StateTables {
public:
    // `appDir` ends with a slash.
    StateTables(QString appDir, const platform::SystemLocale& locale);
    ~StateTables();
    StateTables(const StateTables&) = delete;
    StateTables& operator=(const StateTables&) = delete;

    // Opens both tables, creating missing ones and upgrading an EDoklady.dat of an earlier version.
    void OpenStateTables();
    // Replaces an EDoklady.dat that has only DOKLAD and EXPORT by one with POZN, keeping every flag.
    void UpgradeDocumentTable();
    void close();

    bool GetAddressExport(const QString& address);
    void SetAddressExport(const QString& address, bool flag);
    // Today's date into LASTSEND; a new record is included, an existing one keeps its flag.
    void MarkAddressSent(const QString& address);

    bool GetDocumentExport(const QString& number);
    void SetDocumentExport(const QString& number, bool flag);
    bool DocumentHasNote(const QString& number);
    // GetDocumentExport and DocumentHasNote in one look-up.
    using DocumentState = state::DocumentState;
    DocumentState documentState(const QString& number);
    // Both tables read once, for answering GetAddressExport and documentState about many keys
    // without touching the files again. The tables must be open.
    StateSnapshot snapshot() const { return StateSnapshot(*m_earchiv, *m_edoklady, m_locale); }

    // Record access of the note dialogs. Reading positions on the record; writing edits it or appends
    // one with EXPORT true, keeping an existing record's flag and last-send date. Line breaks of a note
    // are stored as CR LF and returned as LF.
    AddressRecord readAddressNote(const QString& address);
    void writeAddressNote(const QString& address, const QString& note);
    DocumentRecord readDocumentNote(const QString& number);
    void writeDocumentNote(const QString& number, const QString& note);

    dbf::DbfTable& dtEarchiv() { return *m_earchiv; }
    dbf::DbfTable& dtEDoklady() { return *m_edoklady; }

private:
    enum class AddressMode { ReadFlag, StoreFlag, RecordSend };
    enum class DocumentMode { ReadFlag, StoreFlag, QueryNote };

    bool addressRoutine(const QString& address, AddressMode mode, bool flag = true);
    bool documentRoutine(const QString& number, DocumentMode mode, bool flag = true);
    QString key(const QString& text) const { return m_locale.toUpper(text); }

    QString m_appDir;
    const platform::SystemLocale& m_locale;
    std::unique_ptr<dbf::DbfTable> m_earchiv;
    std::unique_ptr<dbf::DbfTable> m_edoklady;
};

}  // namespace tervalo::state
