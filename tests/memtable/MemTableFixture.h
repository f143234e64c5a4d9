#pragma once

#include "memtable/MemTable.h"
#include "memtable/MemTableObserver.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <ostream>
#include <vector>

// Lets GoogleTest print texts and lists of texts readably.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tervalo::memtable::test {

// A table shaped like the document table, cut down: Name (text 10), Amount (float), Flag (boolean),
// ID (integer), Note (memo), with indexes NAME, AMOUNT and ID.
std::unique_ptr<MemTable> makeTable(const QString& name = QStringLiteral("mtTest"));

// Appends and posts one row; fields left out stay null.
void appendRow(MemTable& table, const QString& name, const QVariant& id = {}, const QVariant& amount = {});

// The Name of every row of the view, walked with first()/next() until eof.
QStringList walkNames(MemTable& table);
// The Name of every row of the view, by position.
QStringList viewNames(const MemTable& table);

// Records what a view hears, one line per call: "about-insert 2", "inserted 2", "changed 0",
// "about-reset", "reset", "current 1".
class RecordingObserver : public MemTableObserver {
public:
    void rowAboutToBeInserted(int position) override {
        log.append(QStringLiteral("about-insert %1").arg(position));
    }
    void rowInserted(int position) override { log.append(QStringLiteral("inserted %1").arg(position)); }
    void rowChanged(int position) override { log.append(QStringLiteral("changed %1").arg(position)); }
    void viewAboutToBeReset() override { log.append(QStringLiteral("about-reset")); }
    void viewReset() override { log.append(QStringLiteral("reset")); }
    void currentRowChanged(int position) override { log.append(QStringLiteral("current %1").arg(position)); }

    QStringList log;
};

}  // namespace tervalo::memtable::test
