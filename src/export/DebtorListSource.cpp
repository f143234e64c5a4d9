#include "export/DebtorListSource.h"

#include "platform/AppVersion.h"

namespace tervalo::exporting {

namespace {

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value the export did not state is an empty cell, not an empty text.
report::ReportValue text(const QString& value) {
    return value.isEmpty() ? report::ReportValue() : report::ReportValue(value);
}

}  // namespace

DebtorListSource::DebtorListSource(import::ExportTables& tables, QDate today,
                                   const app::AppSettings* paymentSettings)
    : m_tables(tables),
      m_payments(tables, paymentSettings),
      m_firmy(tables.mtFirmy, {QrPaymentFields::names() + QStringList{QStringLiteral("Mena")},
                               [this](int index) { return debtorValue(index); }}),
      m_doklady(tables.mtDoklady,
                {QrPaymentFields::names(), [this](int index) { return m_payments.documentValue(index); }}),
      m_meny(tables),
      m_currencies(import::DebtorCurrencies(tables)),
      m_today(today) {}

report::ReportValue DebtorListSource::debtorValue(int index) {
    if (index < QrPaymentFields::names().size()) {
        return m_payments.debtorValue(index);
    }
    return text(m_currencies.value(m_tables.mtFirmy.intValue(u"ID")));
}

report::ReportDataset* DebtorListSource::dataset(const QString& name) {
    if (sameName(name, m_tables.mtFirmy.name())) {
        return &m_firmy;
    }
    if (sameName(name, m_tables.mtDoklady.name())) {
        return &m_doklady;
    }
    if (sameName(name, CurrencyTotalsDataset::name())) {
        return &m_meny;
    }
    return nullptr;
}

std::optional<report::ReportValue> DebtorListSource::property(const QString& name,
                                                              const std::vector<int>& indexes) const {
    // None of the published properties is an array.
    if (!indexes.empty()) {
        return std::nullopt;
    }
    if (sameName(name, QStringLiteral("AsOfDate"))) {
        return text(m_tables.AsOfDate);
    }
    if (sameName(name, QStringLiteral("SupplierName"))) {
        return text(m_tables.SupplierName);
    }
    if (sameName(name, QStringLiteral("ToleranceDays"))) {
        return text(m_tables.ToleranceDays);
    }
    if (sameName(name, QStringLiteral("NoDocuments"))) {
        return m_tables.NoDocuments;
    }
    if (sameName(name, QStringLiteral("AppVersion"))) {
        return text(platform::AppVersion);
    }
    if (sameName(name, QStringLiteral("Today"))) {
        return m_today;
    }
    return std::nullopt;
}

}  // namespace tervalo::exporting
