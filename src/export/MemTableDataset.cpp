#include "export/MemTableDataset.h"

namespace tervalo::exporting {

MemTableDataset::MemTableDataset(memtable::MemTable& table, ComputedFields computed)
    : m_table(table), m_computed(std::move(computed)) {
    for (int f = 0; f < table.fieldCount(); ++f) {
        m_fieldNames.append(table.fieldDef(f).name);
    }
    m_fieldNames += m_computed.names;
}

report::ReportValue MemTableDataset::value(int field) const {
    if (field >= m_table.fieldCount()) {
        return m_computed.value(field - m_table.fieldCount());
    }
    if (m_table.isNull(field)) {
        return std::monostate();
    }
    switch (m_table.fieldDef(field).type) {
        case memtable::FieldType::Text:
        case memtable::FieldType::Memo:
            return m_table.text(field);
        case memtable::FieldType::Float:
            return m_table.floatValue(field);
        case memtable::FieldType::Integer:
            return double(m_table.intValue(field));
        case memtable::FieldType::Boolean:
            return m_table.boolValue(field);
    }
    return std::monostate();
}

}  // namespace tervalo::exporting
