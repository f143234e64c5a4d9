#include "compose/MakeMessageId.h"

#include <QRandomGenerator>

namespace tervalo::compose {

namespace {
constexpr quint32 kRandomBound = 2147483647;  // numbers 0 .. 2147483646
}

// The random part comes from a generator seeded once per run: one seeded from the clock on every
// call gives reminders made within one clock tick the same identifier, and a mailbox that gets
// copies of all of them (the copy address) keeps only the first.
QString MakeMessageId(const QString& senderAddress) {
    return MakeMessageId(senderAddress, QDateTime::currentDateTime(),
                         QRandomGenerator::global()->bounded(kRandomBound));
}

QString MakeMessageId(const QString& senderAddress, const QDateTime& now, quint32 random) {
    const qsizetype at = senderAddress.indexOf(QLatin1Char('@'));
    const QString domain = at < 0 ? senderAddress : senderAddress.mid(at + 1);
    return QString::number(random) + now.toString(QStringLiteral("ddMMyyHHmmss")) + QLatin1Char('@') + domain;
}

}  // namespace tervalo::compose
