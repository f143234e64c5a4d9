#pragma once

#include "import/ExportTables.h"
#include "payment/QrPlatbaCodes.h"
#include "report/ReportDataSource.h"
#include "settings/AppSettings.h"

#include <QString>

#include <map>

namespace tervalo::exporting {

// The payment-code fields "QrSpayd", "QrVS" and "QrCastka" that templates can name on mtFirmy and
// mtDoklady, as the debtor's reminder would carry the codes. A document has the code that pays it
// (its own, or its currency's total); a debtor has all its codes' descriptors one per line, their
// variable symbols joined by ", ", and the sum of their amounts when they share one currency. Empty
// cells while payment codes are off or their accounts are unusable. Each debtor's codes are worked
// out once, when first asked for.
class QrPaymentFields {
public:
    static const QStringList& names();

    QrPaymentFields(const import::ExportTables& tables, const app::AppSettings* settings);

    // The field `index` of names() for the current mtFirmy or mtDoklady row.
    report::ReportValue debtorValue(int index);
    report::ReportValue documentValue(int index);

private:
    const compose::QrCodePlan& currentPlan();

    const import::ExportTables& m_tables;
    const app::AppSettings* m_settings;
    std::optional<compose::QrPaymentAccounts> m_accounts;
    std::map<int, compose::QrCodePlan> m_plans;  // by debtor ID
};

}  // namespace tervalo::exporting
