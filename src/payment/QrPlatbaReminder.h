#pragma once

#include "import/ExportTables.h"
#include "import/TemplateVariables.h"
#include "payment/QrPlatbaCodes.h"
#include "platform/Error.h"
#include "platform/UserInterface.h"
#include "settings/AppSettings.h"
#include "transport/mime/BuildReminderMime.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tervalo::compose {

// The accounts the settings name for payment codes, or why they cannot be used: `field` is the
// caption of the field at fault on the settings dialog's tab "QR platba".
struct QrSettingsAccounts {
    QrPaymentAccounts accounts;
    QString field;
    QString problem;  // empty when usable

    // "QR platba, <field>: <problem>"
    QString message() const;
};
QrSettingsAccounts QrAccountsFromSettings(const app::AppSettings& settings);

// What payment codes add to the reminder of the current mtFirmy row.
struct ReminderPayments {
    std::vector<PaymentCode> codes;
    QStringList reasons;                   // why documents or currencies got no code, for the user
    QList<transport::InlineImage> images;  // "qr-platba.png", "qr-platba-2.png", ...
    QString text;                          // the payment details, one line per code, for "%QRPLATBA%"
};

// The codes, without images, for the included documents of the current mtFirmy row with the
// settings' accounts and message; what DebtorPayments draws.
QrCodePlan DebtorPaymentCodes(const import::ExportTables& tables, const app::AppSettings& settings,
                              const QrPaymentAccounts& accounts);

// The codes for the included documents of the current mtFirmy row with the settings' accounts and
// message (QRZprava with the subject's variables, "%DOKLADY%" being the numbers a code pays).
// `accounts` must come from QrAccountsFromSettings without a problem.
ReminderPayments DebtorPayments(const import::ExportTables& tables, const app::AppSettings& settings,
                                const QrPaymentAccounts& accounts);

// `values` with "%QRPLATBA%" standing for the payment details.
TemplateValues WithPaymentDetails(TemplateValues values, const ReminderPayments& payments);

// Unusable accounts in the settings: nothing is sent rather than a code with a wrong account.
class QrPlatbaError : public platform::Error {
public:
    using platform::Error::Error;
};

// The payment codes of the reminder to the current mtFirmy row: none while QRPlatba is off.
// Why a document or currency gets no code is told to the user as information, or appended to
// `notes` when given. Throws QrPlatbaError when the accounts of the settings are unusable.
std::optional<ReminderPayments> ReminderPaymentsFor(const import::ExportTables& tables,
                                                    const app::AppSettings& settings, UserInterface& ui,
                                                    QStringList* notes = nullptr);

}  // namespace tervalo::compose
