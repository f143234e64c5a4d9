#include "state/StateCommand.h"

#include "state/StateTables.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace tervalo::state {

namespace {

constexpr int kUsageError = 2;
constexpr int kStateError = 1;

QJsonValue orNull(bool exists, const QJsonValue& value) {
    return exists ? value : QJsonValue(QJsonValue::Null);
}

QJsonObject addressJson(const AddressRecord& r) {
    return {
        {QStringLiteral("EMAIL"), orNull(r.exists, r.email)},
        {QStringLiteral("EXPORT"), orNull(r.exists, r.exportFlag)},
        {QStringLiteral("LASTSEND"),
         orNull(r.exists && r.lastSend.isValid(), r.lastSend.toString(QStringLiteral("yyyy-MM-dd")))},
        {QStringLiteral("NOTE"), orNull(r.exists, r.note)},
        {QStringLiteral("exists"), r.exists},
    };
}

QJsonObject documentJson(const DocumentRecord& r) {
    return {
        {QStringLiteral("DOKLAD"), orNull(r.exists, r.doklad)},
        {QStringLiteral("EXPORT"), orNull(r.exists, r.exportFlag)},
        {QStringLiteral("POZN"), orNull(r.exists, r.note)},
        {QStringLiteral("exists"), r.exists},
    };
}

std::optional<bool> parseFlag(const QString& text) {
    if (text == QLatin1String("1")) {
        return true;
    }
    if (text == QLatin1String("0")) {
        return false;
    }
    return std::nullopt;
}

}  // namespace

int runStateCommand(const QStringList& arguments, StateTables& tables, QTextStream& out, QString& errorText) {
    QStringList args = arguments;
    if (!args.isEmpty() && args.front() == QLatin1String("state")) {
        args.removeFirst();
    }
    const QString usage = QStringLiteral(
        "usage: state address ADDRESS [--export 0|1] [--note TEXT] [--mark-sent] | "
        "state document NUMBER [--export 0|1] [--note TEXT]");
    if (args.size() < 2 || (args[0] != QLatin1String("address") && args[0] != QLatin1String("document"))) {
        errorText = usage;
        return kUsageError;
    }
    const bool address = args[0] == QLatin1String("address");
    const QString key = args[1];
    try {
        for (qsizetype i = 2; i < args.size(); ++i) {
            const QString& option = args[i];
            const bool hasValue = i + 1 < args.size();
            if (option == QLatin1String("--export") && hasValue) {
                std::optional<bool> flag = parseFlag(args[++i]);
                if (!flag) {
                    errorText = usage;
                    return kUsageError;
                }
                address ? tables.SetAddressExport(key, *flag) : tables.SetDocumentExport(key, *flag);
            } else if (option == QLatin1String("--note") && hasValue) {
                address ? tables.writeAddressNote(key, args[++i]) : tables.writeDocumentNote(key, args[++i]);
            } else if (option == QLatin1String("--mark-sent") && address) {
                tables.MarkAddressSent(key);
            } else {
                errorText = usage;
                return kUsageError;
            }
        }
        const QJsonObject json =
            address ? addressJson(tables.readAddressNote(key)) : documentJson(tables.readDocumentNote(key));
        out << QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)) << '\n';
    } catch (const StateError& error) {
        errorText = error.text();
        return kStateError;
    }
    return 0;
}

}  // namespace tervalo::state
