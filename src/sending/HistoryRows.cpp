#include "sending/HistoryRows.h"

#include "import/AmountFormat.h"

#include <map>

namespace tervalo::sending {

namespace {

QString routeCaption(const QString& route) {
    if (route == QLatin1String("smtp")) {
        return QStringLiteral("SMTP");
    }
    return route == QLatin1String("mail-client") ? QStringLiteral("poštovní program") : route;
}

QString resultCaption(state::SendResult result) {
    switch (result) {
        case state::SendResult::Accepted:
            return QStringLiteral("přijato");
        case state::SendResult::Refused:
            return QStringLiteral("odmítnuto");
        case state::SendResult::Unsure:
            break;
    }
    return QStringLiteral("nejisté");
}

QString amountOf(const std::vector<state::JournalDocument>& documents, QChar decimalSeparator) {
    std::map<QString, double> totals;
    for (const state::JournalDocument& document : documents) {
        totals[document.currency] += document.remaining;
    }
    QStringList parts;
    for (const auto& [currency, total] : totals) {
        parts << (import::formatAmount(total, decimalSeparator) + QLatin1Char(' ') + currency).trimmed();
    }
    return parts.join(QStringLiteral(", "));
}

}  // namespace

std::vector<HistoryRow> HistoryRowsOf(const std::vector<state::JournalRecord>& records,
                                      const platform::SystemLocale& locale) {
    std::vector<HistoryRow> rows;
    rows.reserve(records.size());
    for (const state::JournalRecord& record : records) {
        const QDateTime time = record.time.toLocalTime();
        QStringList numbers;
        for (const state::JournalDocument& document : record.documents) {
            numbers << document.number;
        }
        const QString reply = record.reply.simplified();
        rows.push_back(
            {locale.formatShortDate(time.date()) + QLatin1Char(' ') +
                 time.time().toString(locale.timeFormat()),
             routeCaption(record.route), numbers.join(QStringLiteral(", ")),
             amountOf(record.documents, locale.decimalSeparator()),
             resultCaption(record.result) + (reply.isEmpty() ? QString() : QStringLiteral(": ") + reply),
             record.test ? QStringLiteral("test") : QStringLiteral("ostrý"), record.messageKept});
    }
    return rows;
}

}  // namespace tervalo::sending
