#include "cli/QrCommand.h"

#include "cli/DebtorCommand.h"
#include "payment/QrPlatbaReminder.h"
#include "platform/FileWrite.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>

namespace tervalo::cli {

namespace {

QJsonObject codeJson(const compose::PaymentCode& code) {
    return {{QStringLiteral("spayd"), compose::SpaydText(code)},
            {QStringLiteral("amount"), compose::SpaydAmount(code.cents)},
            {QStringLiteral("currency"), code.currency},
            {QStringLiteral("vs"),
             code.variableSymbol.isEmpty() ? QJsonValue() : QJsonValue(code.variableSymbol)},
            {QStringLiteral("documents"), QJsonArray::fromStringList(code.documents)}};
}

bool writeImages(CliContext& context, const QString& folder, const compose::ReminderPayments& payments) {
    if (!QDir().mkpath(folder)) {
        context.ui.error(QStringLiteral("Nelze vytvořit adresář ") + folder);
        return false;
    }
    for (const transport::InlineImage& image : payments.images) {
        const QString path = QDir(folder).filePath(image.name);
        if (!platform::FileWrite::replaceDurably(path, image.png)) {
            context.ui.error(QStringLiteral("Nelze zapsat soubor ") + path + QStringLiteral(": ") +
                             qt_error_string(errno));
            return false;
        }
    }
    return true;
}

}  // namespace

int runQr(CliContext& context) {
    QString pngDir;
    if (const qsizetype at = context.args.indexOf(QStringLiteral("--png-dir")); at >= 0) {
        if (at + 1 >= context.args.size()) {
            context.ui.error(
                QStringLiteral("usage: tervalo-cli [--app-dir DIR] qr EXPORT --debtor ID [--png-dir DIR]"));
            return Usage;
        }
        pngDir = context.args.at(at + 1);
        context.args.remove(at, 2);
    }
    const auto arguments =
        parseDebtorArguments(context, QStringLiteral("qr EXPORT --debtor ID [--png-dir DIR]"), false);
    if (!arguments) {
        return Usage;
    }
    if (!loadDebtor(context, *arguments)) {
        return Ended;
    }
    std::optional<compose::ReminderPayments> payments;
    try {
        payments = compose::ReminderPaymentsFor(context.session.tables, context.session.settings, context.ui);
    } catch (const compose::QrPlatbaError& e) {
        context.ui.error(QString::fromStdString(e.what()));
        return Ended;
    }
    if (!payments) {
        context.ui.information(QStringLiteral("QR platba je v nastavení vypnutá (QRPlatba)."));
    }
    QJsonArray codes;
    if (payments) {
        for (const compose::PaymentCode& code : payments->codes) {
            codes.append(codeJson(code));
        }
        if (!pngDir.isEmpty() && !writeImages(context, pngDir, *payments)) {
            return Ended;
        }
    }
    context.out << QString::fromUtf8(QJsonDocument(codes).toJson(QJsonDocument::Indented));
    return Success;
}

}  // namespace tervalo::cli
