#include "export/QrPaymentFields.h"

#include "payment/QrPlatbaReminder.h"

namespace tervalo::exporting {

namespace {

enum Field { QrSpayd, QrVS, QrCastka };

report::ReportValue textOrEmpty(const QString& text) {
    return text.isEmpty() ? report::ReportValue() : report::ReportValue(text);
}

report::ReportValue codeValue(const compose::PaymentCode& code, int index) {
    switch (index) {
        case QrSpayd:
            return compose::SpaydText(code);
        case QrVS:
            return textOrEmpty(code.variableSymbol);
        default:
            return double(code.cents) / 100.0;
    }
}

}  // namespace

const QStringList& QrPaymentFields::names() {
    static const QStringList fieldNames = {QStringLiteral("QrSpayd"), QStringLiteral("QrVS"),
                                           QStringLiteral("QrCastka")};
    return fieldNames;
}

QrPaymentFields::QrPaymentFields(const import::ExportTables& tables, const app::AppSettings* settings)
    : m_tables(tables), m_settings(settings) {
    if (settings && settings->QRPlatba) {
        if (const compose::QrSettingsAccounts accounts = compose::QrAccountsFromSettings(*settings);
            accounts.problem.isEmpty()) {
            m_accounts = accounts.accounts;
        }
    }
}

const compose::QrCodePlan& QrPaymentFields::currentPlan() {
    static const compose::QrCodePlan none;
    if (!m_accounts || m_tables.mtFirmy.recordCount() == 0) {
        return none;
    }
    const int id = m_tables.mtFirmy.intValue(u"ID");
    auto found = m_plans.find(id);
    if (found == m_plans.end()) {
        found = m_plans.emplace(id, compose::DebtorPaymentCodes(m_tables, *m_settings, *m_accounts)).first;
    }
    return found->second;
}

report::ReportValue QrPaymentFields::debtorValue(int index) {
    const std::vector<compose::PaymentCode>& codes = currentPlan().codes;
    if (codes.empty()) {
        return {};
    }
    QStringList texts;
    qint64 cents = 0;
    bool oneCurrency = true;
    for (const compose::PaymentCode& code : codes) {
        oneCurrency = oneCurrency && code.currency == codes.front().currency;
        cents += code.cents;
        if (index == QrSpayd) {
            texts.append(compose::SpaydText(code));
        } else if (index == QrVS && !code.variableSymbol.isEmpty()) {
            texts.append(code.variableSymbol);
        }
    }
    switch (index) {
        case QrSpayd:
            return texts.join(QLatin1Char('\n'));
        case QrVS:
            return textOrEmpty(texts.join(QStringLiteral(", ")));
        default:
            return oneCurrency ? report::ReportValue(double(cents) / 100.0) : report::ReportValue();
    }
}

report::ReportValue QrPaymentFields::documentValue(int index) {
    if (m_tables.mtDoklady.recordCount() == 0) {
        return {};
    }
    const QString number = m_tables.mtDoklady.text(u"CisloDokl");
    for (const compose::PaymentCode& code : currentPlan().codes) {
        if (code.documents.contains(number)) {
            return codeValue(code, index);
        }
    }
    return {};
}

}  // namespace tervalo::exporting
