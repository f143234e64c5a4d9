#include "MemTableFixture.h"

#include "platform/SystemLocale.h"

namespace tervalo::memtable::test {

std::unique_ptr<MemTable> makeTable(const QString& name) {
    static const platform::SystemLocale czech;
    auto table = std::make_unique<MemTable>(name, czech);
    table->addField(QStringLiteral("Name"), FieldType::Text, 10);
    table->addField(QStringLiteral("Amount"), FieldType::Float);
    table->addField(QStringLiteral("Flag"), FieldType::Boolean);
    table->addField(QStringLiteral("ID"), FieldType::Integer);
    table->addField(QStringLiteral("Note"), FieldType::Memo);
    table->addIndex(QStringLiteral("NAME"), u"Name");
    table->addIndex(QStringLiteral("AMOUNT"), u"Amount");
    table->addIndex(QStringLiteral("ID"), u"ID");
    table->open();
    return table;
}

void appendRow(MemTable& table, const QString& name, const QVariant& id, const QVariant& amount) {
    table.append();
    table.setText(u"Name", name);
    table.setValue(u"ID", id);
    table.setValue(u"Amount", amount);
    table.post();
}

QStringList walkNames(MemTable& table) {
    QStringList names;
    for (table.first(); !table.eof(); table.next()) {
        names.append(table.text(u"Name"));
    }
    return names;
}

QStringList viewNames(const MemTable& table) {
    QStringList names;
    const int name = table.field(u"Name");
    for (int position = 0; position < table.recordCount(); ++position) {
        names.append(table.text(table.rowAt(position), name));
    }
    return names;
}

}  // namespace tervalo::memtable::test
