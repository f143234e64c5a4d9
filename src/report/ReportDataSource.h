#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>
#include <vector>

namespace tervalo::report {

// A value placed into a cell: nothing (an empty cell), a number, a date or date and time (written as
// a date serial in the template cell's format), a text, or a truth value.
using ReportValue = std::variant<std::monostate, double, QDate, QDateTime, QString, bool>;

// A dataset as the template sees it: its fields, and a walk over its current view (filter and order
// applied). Master-detail is the dataset's own business: a detail walked while its master stands on a
// record shows only that record's rows.
class ReportDataset {
public:
    virtual ~ReportDataset() = default;

    virtual QStringList fieldNames() const = 0;
    // The caption of a field in the header of a whole-dataset table.
    virtual QString displayName(int field) const { return fieldNames().value(field); }
    // -1 when the dataset has no such field.
    int fieldIndex(const QString& name) const { return int(fieldNames().indexOf(name)); }

    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // The field's value in the current record; called only while !eof().
    virtual ReportValue value(int field) const = 0;
};

// Everything a template can name: datasets by their names and published properties.
class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;

    // nullptr when `name` is not a dataset.
    virtual ReportDataset* dataset(const QString& name) = 0;
    // The value of a property, with array indexes for array properties; nullopt when there is no such
    // property (or no such element).
    virtual std::optional<ReportValue> property(const QString& name,
                                                const std::vector<int>& indexes) const = 0;
};

}  // namespace tervalo::report
