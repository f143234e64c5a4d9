#include "state/StateTables.h"

#include "state/StateSchema.h"

#include "platform/FileWrite.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace tervalo::state {

namespace {

// Another program on the same folder holds a record's lock only while it writes that record. A write
// that meets the lock waits that long, retrying every 10 ms, before "Record locked." reaches the
// caller: otherwise a send date recorded after the message went out, or a note, would be lost to a
// coincidence of two writes in the same millisecond.
constexpr auto kRecordLockWait = std::chrono::seconds(2);
constexpr auto kRecordLockRetry = std::chrono::milliseconds(10);

template <typename Write>
void waitingForRecordLock(const Write& write) {
    const auto giveUp = std::chrono::steady_clock::now() + kRecordLockWait;
    for (;;) {
        try {
            write();
            return;
        } catch (const StateError& error) {
            if (!error.isRecordLocked() || std::chrono::steady_clock::now() >= giveUp) {
                throw;
            }
        }
        std::this_thread::sleep_for(kRecordLockRetry);
    }
}

QString toStoredNote(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

QString fromStoredNote(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Every field the program reads must be there with its type: the load reads the records as raw
// bytes at the fields' offsets and would otherwise read past them.
void requireFields(const dbf::DbfTable& table, const std::vector<dbf::FieldDef>& expected) {
    const dbf::TableLayout& layout = table.layout();
    for (const dbf::FieldDef& wanted : expected) {
        const int index = layout.fieldIndex(wanted.name);
        if (index < 0) {
            throw StateError(
                QStringLiteral("Field '%1' not found in table \"%2\".").arg(wanted.name, table.fileName()),
                table.fileName());
        }
        const char type = layout.fields[std::size_t(index)].type;
        if (type != wanted.type) {
            throw StateError(QStringLiteral("Field '%1' of table \"%2\" has type %3 instead of %4.")
                                 .arg(wanted.name, table.fileName(), QChar::fromLatin1(type),
                                      QChar::fromLatin1(wanted.type)),
                             table.fileName());
        }
    }
}

}  // namespace

StateTables::StateTables(QString appDir, const platform::SystemLocale& locale)
    : m_appDir(std::move(appDir)),
      m_locale(locale),
      m_earchiv(std::make_unique<dbf::DbfTable>(locale)),
      m_edoklady(std::make_unique<dbf::DbfTable>(locale)) {}

StateTables::~StateTables() = default;

void StateTables::OpenStateTables() {
    m_earchiv->close();
    m_earchiv->setFileName(m_appDir + Schema::earchivFile);
    m_earchiv->setFieldDefs(Schema::earchivFields());
    m_earchiv->setIndexDefs({Schema::earchivIndex()});
    m_earchiv->setIndexFieldNames(QStringLiteral("Email"));
    m_earchiv->open();
    requireFields(*m_earchiv, Schema::earchivFields());

    UpgradeDocumentTable();

    m_edoklady->close();
    m_edoklady->setFileName(m_appDir + Schema::edokladyFile);
    m_edoklady->setFieldDefs(Schema::edokladyFields());
    m_edoklady->setIndexDefs({Schema::edokladyIndex()});
    m_edoklady->setIndexFieldNames(QStringLiteral("Doklad"));
    m_edoklady->open();
    requireFields(*m_edoklady, Schema::edokladyFields());
}

void StateTables::close() {
    m_earchiv->close();
    m_edoklady->close();
}

void StateTables::UpgradeDocumentTable() {
    const QString path = m_appDir + Schema::edokladyFile;
    if (!QFileInfo::exists(path)) {
        return;
    }
    dbf::DbfTable old(m_locale);
    old.setFileName(path);
    old.open(dbf::OpenMode::Shared, false);
    if (old.hasField(QStringLiteral("Pozn"))) {
        return;
    }
    // The old table stays whole until the new one holds every record: the new table is built in a
    // folder of its own and its files renamed over the old ones, the table file last.
    old.open(dbf::OpenMode::Exclusive, false);
    std::vector<std::pair<QString, bool>> saved;
    for (bool more = old.first(); more; more = old.next()) {
        if (!old.isDeleted()) {
            saved.emplace_back(old.fieldText(QStringLiteral("Doklad")),
                               old.fieldFlag(QStringLiteral("EXPORT")));
        }
    }
    const QString buildFolder = m_appDir + QStringLiteral("EDoklady.upgrade/");
    QDir(buildFolder).removeRecursively();
    if (!QDir().mkpath(buildFolder)) {
        throw StateError(QStringLiteral("Cannot create folder \"%1\".").arg(buildFolder), buildFolder);
    }
    {
        dbf::DbfTable fresh(m_locale);
        fresh.setFileName(buildFolder + Schema::edokladyFile);
        fresh.setFieldDefs(Schema::edokladyFields());
        fresh.setIndexDefs({Schema::edokladyIndex()});
        fresh.open(dbf::OpenMode::Exclusive, true);
        for (const auto& [number, flag] : saved) {
            fresh.append();
            fresh.setFieldText(QStringLiteral("Doklad"), number);
            fresh.setFieldFlag(QStringLiteral("EXPORT"), flag);
            fresh.post();
        }
    }
    // Each built file replaces its old one durably, the table file last.
    const QString base = QFileInfo(Schema::edokladyFile).completeBaseName();
    for (const char* extension : {".dbt", ".mdx", ".dat"}) {
        const QString name = base + QLatin1String(extension);
        const std::optional<QByteArray> built = platform::TextFile::readBytes(buildFolder + name);
        if (!built) {
            throw StateError(QStringLiteral("Cannot write file \"%1\".").arg(buildFolder + name),
                             buildFolder + name);
        }
        if (!platform::FileWrite::replaceDurably(m_appDir + name, *built)) {
            throw StateError(QStringLiteral("Cannot replace \"%1\".").arg(m_appDir + name), m_appDir + name);
        }
    }
    old.close();
    QDir(buildFolder).removeRecursively();
}

bool StateTables::addressRoutine(const QString& address, AddressMode mode, bool flag) {
    if (address.isEmpty()) {
        return true;
    }
    const QString k = key(address);
    dbf::DbfTable& table = *m_earchiv;
    if (mode == AddressMode::ReadFlag) {
        return table.locate(Schema::email, k) ? table.fieldFlag(Schema::exportFlag) : true;
    }
    waitingForRecordLock([&] {
        const bool found = table.locateForWrite(Schema::email, k);
        table.setFieldText(Schema::email, k);
        if (mode == AddressMode::StoreFlag) {
            table.setFieldFlag(Schema::exportFlag, flag);
        } else {
            if (!found) {
                table.setFieldFlag(Schema::exportFlag, true);
            }
            table.setFieldDate(Schema::lastSend, QDate::currentDate());
        }
        table.post();
    });
    return true;
}

bool StateTables::documentRoutine(const QString& number, DocumentMode mode, bool flag) {
    if (number.isEmpty()) {
        return mode != DocumentMode::QueryNote;
    }
    const QString k = key(number);
    dbf::DbfTable& table = *m_edoklady;
    switch (mode) {
        case DocumentMode::ReadFlag:
            return table.locate(Schema::doklad, k) ? table.fieldFlag(Schema::exportFlag) : true;
        case DocumentMode::QueryNote:
            return table.locate(Schema::doklad, k) && !table.memoText(Schema::pozn).isEmpty();
        case DocumentMode::StoreFlag:
            waitingForRecordLock([&] {
                table.locateForWrite(Schema::doklad, k);
                table.setFieldText(Schema::doklad, k);
                table.setFieldFlag(Schema::exportFlag, flag);
                table.post();
            });
            return true;
    }
    return true;
}

bool StateTables::GetAddressExport(const QString& address) {
    return addressRoutine(address, AddressMode::ReadFlag);
}

void StateTables::SetAddressExport(const QString& address, bool flag) {
    addressRoutine(address, AddressMode::StoreFlag, flag);
}

void StateTables::MarkAddressSent(const QString& address) {
    addressRoutine(address, AddressMode::RecordSend);
}

bool StateTables::GetDocumentExport(const QString& number) {
    return documentRoutine(number, DocumentMode::ReadFlag);
}

void StateTables::SetDocumentExport(const QString& number, bool flag) {
    documentRoutine(number, DocumentMode::StoreFlag, flag);
}

StateTables::DocumentState StateTables::documentState(const QString& number) {
    if (number.isEmpty()) {
        return {};
    }
    dbf::DbfTable& table = *m_edoklady;
    if (!table.locate(Schema::doklad, key(number))) {
        return {};
    }
    return {table.fieldFlag(Schema::exportFlag), !table.memoText(Schema::pozn).isEmpty()};
}

bool StateTables::DocumentHasNote(const QString& number) {
    return documentRoutine(number, DocumentMode::QueryNote);
}

AddressRecord StateTables::readAddressNote(const QString& address) {
    AddressRecord record;
    dbf::DbfTable& table = *m_earchiv;
    if (!table.locate(Schema::email, key(address))) {
        return record;
    }
    record.exists = true;
    record.email = table.fieldText(Schema::email);
    record.exportFlag = table.fieldFlag(Schema::exportFlag);
    record.lastSend = table.fieldDate(Schema::lastSend);
    record.note = fromStoredNote(table.memoText(Schema::note));
    return record;
}

void StateTables::writeAddressNote(const QString& address, const QString& note) {
    dbf::DbfTable& table = *m_earchiv;
    const QString k = key(address);
    waitingForRecordLock([&] {
        if (!table.locateForWrite(Schema::email, k)) {
            table.setFieldFlag(Schema::exportFlag, true);
        }
        table.setFieldText(Schema::email, k);
        table.setMemoText(Schema::note, toStoredNote(note));
        table.post();
    });
}

DocumentRecord StateTables::readDocumentNote(const QString& number) {
    DocumentRecord record;
    dbf::DbfTable& table = *m_edoklady;
    if (!table.locate(Schema::doklad, key(number))) {
        return record;
    }
    record.exists = true;
    record.doklad = table.fieldText(Schema::doklad);
    record.exportFlag = table.fieldFlag(Schema::exportFlag);
    record.note = fromStoredNote(table.memoText(Schema::pozn));
    return record;
}

void StateTables::writeDocumentNote(const QString& number, const QString& note) {
    dbf::DbfTable& table = *m_edoklady;
    const QString k = key(number);
    waitingForRecordLock([&] {
        if (!table.locateForWrite(Schema::doklad, k)) {
            table.setFieldFlag(Schema::exportFlag, true);
        }
        table.setFieldText(Schema::doklad, k);
        table.setMemoText(Schema::pozn, toStoredNote(note));
        table.post();
    });
}

}  // namespace tervalo::state
