#pragma once

#include <QDateTime>
#include <QString>

namespace tervalo::compose {

// The Message-ID value of a reminder: a random number, the local time as "ddMMyyhhmmss", "@" and
// the part of the sender address after its first "@" (the whole address when it has none).
QString MakeMessageId(const QString& senderAddress);
QString MakeMessageId(const QString& senderAddress, const QDateTime& now, quint32 random);

}  // namespace tervalo::compose
