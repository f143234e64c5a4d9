#pragma once

#include "memtable/MemTable.h"
#include "report/ReportDataSource.h"

#include <functional>

namespace tervalo::exporting {

// An in-memory table as the report engine sees it: walked through the table's own view, so the
// filter, the current index and the master link apply. A detail table therefore yields only the
// rows of its master's current row. Values are typed: texts as text, numbers as numbers, booleans
// as truth values; an empty text or an unset value is an empty cell.
class MemTableDataset : public report::ReportDataset {
public:
    // Fields worked out for the current row, named after the table's own: `value` gets the
    // position in `names`.
    struct ComputedFields {
        QStringList names;
        std::function<report::ReportValue(int)> value;
    };

    explicit MemTableDataset(memtable::MemTable& table, ComputedFields computed = {});

    QStringList fieldNames() const override { return m_fieldNames; }
    void first() override { m_table.first(); }
    void next() override { m_table.next(); }
    bool eof() const override { return m_table.eof(); }
    report::ReportValue value(int field) const override;

private:
    memtable::MemTable& m_table;
    QStringList m_fieldNames;
    ComputedFields m_computed;
};

}  // namespace tervalo::exporting
