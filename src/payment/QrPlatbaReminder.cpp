#include "payment/QrPlatbaReminder.h"

#include "import/IncludedDocuments.h"
#include "payment/QrAccount.h"
#include "payment/QrMatrix.h"
#include "payment/QrPlatbaImage.h"

#include <QRegularExpression>

#include <cmath>

namespace tervalo::compose {

namespace {

std::vector<QrDocument> includedDocuments(const import::ExportTables& tables) {
    const memtable::MemTable& doklady = tables.mtDoklady;
    const int cisloDokl = doklady.field(u"CisloDokl");
    const int varSymbol = doklady.field(u"VarSymbol");
    const int celkNeprop = doklady.field(u"CelkNeprop");
    const int mena = doklady.field(u"Mena");
    const int dobropis = doklady.field(u"Dobropis");
    std::vector<QrDocument> documents;
    for (const memtable::RowId row : import::IncludedDocumentRows(tables)) {
        documents.push_back({doklady.text(row, cisloDokl), doklady.text(row, varSymbol),
                             std::llround(doklady.floatValue(row, celkNeprop) * 100.0),
                             doklady.text(row, mena), doklady.boolValue(row, dobropis)});
    }
    return documents;
}

QString detailLine(const PaymentCode& code, QChar decimalSeparator) {
    QString line = QStringLiteral("QR platba: účet ") + code.iban;
    if (!code.bic.isEmpty()) {
        line += QStringLiteral(" (BIC ") + code.bic + QLatin1Char(')');
    }
    line += QStringLiteral(", částka ") +
            SpaydAmount(code.cents).replace(QLatin1Char('.'), decimalSeparator) + QLatin1Char(' ') +
            code.currency;
    if (!code.variableSymbol.isEmpty()) {
        line += QStringLiteral(", variabilní symbol ") + code.variableSymbol;
    }
    return line;
}

}  // namespace

QString QrSettingsAccounts::message() const {
    return QStringLiteral("QR platba, ") + field + QStringLiteral(": ") + problem;
}

QrSettingsAccounts QrAccountsFromSettings(const app::AppSettings& settings) {
    QrSettingsAccounts result;
    const QrAccount czk = ParseQrAccount(settings.QRUcet);
    if (!czk.valid()) {
        result.field = QStringLiteral("Číslo účtu");
        result.problem = czk.problem;
        return result;
    }
    const QString bic = settings.QRBic.trimmed().toUpper();
    static const QRegularExpression bicForm(QStringLiteral("^[A-Z]{6}[A-Z0-9]{2}([A-Z0-9]{3})?$"));
    if (!bic.isEmpty() && !bicForm.match(bic).hasMatch()) {
        result.field = QStringLiteral("BIC");
        result.problem =
            settings.QRBic.trimmed() + QStringLiteral(" nemá tvar kódu banky (8 nebo 11 písmen a číslic).");
        return result;
    }
    const QrCurrencyAccounts others = ParseQrCurrencyAccounts(settings.QRUctyMeny);
    if (!others.problem.isEmpty()) {
        result.field = QStringLiteral("Účty pro další měny");
        result.problem = others.problem;
        return result;
    }
    result.accounts = {czk.iban, bic, others.ibans, settings.QRRezim != 2};
    return result;
}

QrCodePlan DebtorPaymentCodes(const import::ExportTables& tables, const app::AppSettings& settings,
                              const QrPaymentAccounts& accounts) {
    const TemplateValues values = CurrentDebtorValues(tables);
    const auto message = [&](const QStringList& documents) {
        TemplateValues filled = values;
        filled.TextNeuhrDokl = documents.join(QStringLiteral(", "));
        return ReplaceTemplateVariables(settings.QRZprava, filled, DocumentsVariable::Replaced);
    };
    return PlanPaymentCodes(includedDocuments(tables), accounts, message);
}

ReminderPayments DebtorPayments(const import::ExportTables& tables, const app::AppSettings& settings,
                                const QrPaymentAccounts& accounts) {
    QrCodePlan plan = DebtorPaymentCodes(tables, settings, accounts);

    ReminderPayments payments;
    QStringList lines;
    for (const PaymentCode& code : plan.codes) {
        const qsizetype number = payments.images.size() + 1;
        const QString name =
            number == 1 ? QStringLiteral("qr-platba.png") : QStringLiteral("qr-platba-%1.png").arg(number);
        payments.images.append({name, QrPlatbaPng(EncodeQr(SpaydText(code).toLatin1()))});
        lines.append(detailLine(code, tables.locale.decimalSeparator()));
    }
    payments.codes = std::move(plan.codes);
    payments.reasons = std::move(plan.reasons);
    payments.text = lines.join(QStringLiteral("\r\n"));
    return payments;
}

std::optional<ReminderPayments> ReminderPaymentsFor(const import::ExportTables& tables,
                                                    const app::AppSettings& settings, UserInterface& ui,
                                                    QStringList* notes) {
    if (!settings.QRPlatba) {
        return std::nullopt;
    }
    const QrSettingsAccounts accounts = QrAccountsFromSettings(settings);
    if (!accounts.problem.isEmpty()) {
        throw QrPlatbaError(accounts.message());
    }
    ReminderPayments payments = DebtorPayments(tables, settings, accounts.accounts);
    if (notes) {
        notes->append(payments.reasons);
    } else {
        for (const QString& reason : payments.reasons) {
            ui.information(reason);
        }
    }
    return payments;
}

TemplateValues WithPaymentDetails(TemplateValues values, const ReminderPayments& payments) {
    values.QrPlatba = payments.text;
    return values;
}

}  // namespace tervalo::compose
