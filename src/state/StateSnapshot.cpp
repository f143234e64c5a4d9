#include "state/StateSnapshot.h"

#include "state/StateSchema.h"
#include "state/dbf/DbfTable.h"

#include <cstring>

namespace tervalo::state {

namespace {

enum Flag : quint8 {
    Export = 1,
    Note = 2,
    NoteUnreadable = 4,
};

constexpr int kMaxKeyWidth = 255;  // a character field is at most this wide

bool isTrue(char flag) {
    return flag == 'T' || flag == 't';
}

}  // namespace

std::optional<quint8> StateSnapshot::Keyed::find(const QString& text) const {
    char bytes[kMaxKeyWidth];
    key.encode(text, bytes);
    return flags.find(bytes);
}

StateSnapshot::Keyed StateSnapshot::keyed(const dbf::DbfTable& table, const QString& field,
                                          const platform::SystemLocale& locale) {
    const dbf::FieldDef& f = table.layout().fields[std::size_t(table.layout().fieldIndex(field))];
    return {StoredKey(locale, table.codec(), f.width), FixedKeyTable(f.width, table.recordCount())};
}

StateSnapshot::StateSnapshot(const dbf::DbfTable& earchiv, const dbf::DbfTable& edoklady,
                             const platform::SystemLocale& locale)
    : m_addresses(keyed(earchiv, Schema::email, locale)),
      m_documents(keyed(edoklady, Schema::doklad, locale)) {
    const auto fieldOf = [](const dbf::DbfTable& table, const QString& name) {
        return table.layout().fields[std::size_t(table.layout().fieldIndex(name))];
    };
    {
        const dbf::FieldDef email = fieldOf(earchiv, Schema::email);
        const int exportAt = fieldOf(earchiv, Schema::exportFlag).offset;
        earchiv.visitLiveRecords([&](quint32, const char* record) {
            m_addresses.flags.insert(record + email.offset, isTrue(record[exportAt]) ? Export : 0);
        });
    }
    const dbf::FieldDef doklad = fieldOf(edoklady, Schema::doklad);
    const int exportAt = fieldOf(edoklady, Schema::exportFlag).offset;
    const dbf::FieldDef pozn = fieldOf(edoklady, Schema::pozn);
    edoklady.visitLiveRecords([&](quint32, const char* record) {
        const char* key = record + doklad.offset;
        quint8 flags = isTrue(record[exportAt]) ? Export : 0;
        // Most records have no note: only a non-zero memo block is worth reading.
        const bool memoBlank = QByteArrayView(record + pozn.offset, pozn.width).trimmed().toUInt() == 0;
        if (!memoBlank && m_documents.flags.find(key) == std::nullopt) {
            try {
                flags |= edoklady.memoText(Schema::pozn, record).isEmpty() ? 0 : Note;
            } catch (const dbf::DbfError& error) {
                flags |= NoteUnreadable;
                m_noteErrors.emplace_back(QByteArray(key, doklad.width), error);
            }
        }
        m_documents.flags.insert(key, flags);
    });
}

bool StateSnapshot::addressExport(const QString& address) const {
    if (address.isEmpty()) {
        return true;
    }
    const std::optional<quint8> flags = m_addresses.find(address);
    return !flags || (*flags & Export) != 0;
}

StateSnapshot::DocumentQuery StateSnapshot::documentQuery(const QString& number) const {
    DocumentQuery query;
    query.empty = number.isEmpty();
    if (!query.empty) {
        m_documents.key.encode(number, query.key.data());
        query.home = m_documents.flags.homeOf(query.key.data());
    }
    return query;
}

DocumentState StateSnapshot::documentState(const DocumentQuery& query) const {
    if (query.empty) {
        return {};
    }
    const std::optional<quint8> flags = m_documents.flags.find(query.key.data(), query.home);
    if (!flags) {
        return {};
    }
    if (*flags & NoteUnreadable) {
        const QByteArrayView key(query.key.data(), m_documents.key.width());
        for (const auto& [stored, error] : m_noteErrors) {
            if (stored == key) {
                throw error;
            }
        }
    }
    return {(*flags & Export) != 0, (*flags & Note) != 0};
}

}  // namespace tervalo::state
