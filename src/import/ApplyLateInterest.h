#pragma once

#include "import/ExportTables.h"
#include "import/LateInterestRates.h"
#include "platform/UserInterface.h"

#include <QDate>

#include <set>

namespace tervalo::import {

// The minimum compensation of the costs of claiming each debt between businesses, in CZK.
inline constexpr double CompensationPerDebt = 1200;

// Fills the late-payment interest of the loaded export as of its AsOfDate: UrokZProdleni and
// SazbaUroku of every invoice past due (credit notes and documents with nothing remaining get none),
// and each debtor's totals (StoreDebtorInterest), with the compensation claimed when `compensation`
// says so. Without a readable AsOfDate nothing is computed. The current rows and the filter stay as
// they were. Returns the half-years in which a delay began that have no rate.
std::set<QDate> ApplyLateInterest(ExportTables& tables, const LateInterestRates& rates, bool compensation);

// One message naming every half-year without a rate; nothing when there is none.
void ShowMissingRatesMessage(const std::set<QDate>& halfYears, UserInterface& ui);

}  // namespace tervalo::import
