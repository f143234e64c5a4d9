#include "cli/ShowCommand.h"

#include "app/LoadExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <numeric>

namespace tervalo::cli {

namespace {

QJsonObject rowObject(const memtable::MemTable& table, memtable::RowId row) {
    QJsonObject object;
    for (int field = 0; field < table.fieldCount(); ++field) {
        const memtable::FieldDef& def = table.fieldDef(field);
        switch (def.type) {
            case memtable::FieldType::Float:
                object.insert(def.name, table.floatValue(row, field));
                break;
            case memtable::FieldType::Integer:
                object.insert(def.name, table.intValue(row, field));
                break;
            case memtable::FieldType::Boolean:
                object.insert(def.name, table.boolValue(row, field));
                break;
            case memtable::FieldType::Text:
            case memtable::FieldType::Memo:
                object.insert(def.name, table.text(row, field));
                break;
        }
    }
    return object;
}

}  // namespace

int runShow(CliContext& context) {
    if (context.args.size() != 1) {
        context.ui.error(QStringLiteral("usage: tervalo-cli [--app-dir DIR] show EXPORT"));
        return Usage;
    }
    if (!app::LoadExport(context.session, context.args.first(), context.ui)) {
        return Ended;
    }
    const import::ExportTables& tables = context.session.tables;

    QJsonArray firmy;
    for (int position = 0; position < tables.mtFirmy.recordCount(); ++position) {
        firmy.append(rowObject(tables.mtFirmy, tables.mtFirmy.rowAt(position)));
    }
    // Every document, not only the current debtor's: by ID, in load order within one debtor.
    const memtable::MemTable& doklady = tables.mtDoklady;
    std::vector<memtable::RowId> rows(std::size_t(doklady.rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    const int id = doklady.field(u"ID");
    std::stable_sort(rows.begin(), rows.end(), [&](memtable::RowId a, memtable::RowId b) {
        return doklady.intValue(a, id) < doklady.intValue(b, id);
    });
    QJsonArray documents;
    for (memtable::RowId row : rows) {
        documents.append(rowObject(doklady, row));
    }

    QJsonObject result;
    result.insert(QStringLiteral("AsOfDate"), tables.AsOfDate);
    result.insert(QStringLiteral("ToleranceDays"), tables.ToleranceDays);
    result.insert(QStringLiteral("SupplierName"), tables.SupplierName);
    result.insert(QStringLiteral("NoDocuments"), tables.NoDocuments);
    result.insert(QStringLiteral("mtFirmy"), firmy);
    result.insert(QStringLiteral("mtDoklady"), documents);
    context.out << QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Compact)) << Qt::endl;
    return Success;
}

}  // namespace tervalo::cli
