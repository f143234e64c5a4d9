#pragma once

#include "report/BiffRecord.h"
#include "report/ReportDataSource.h"

#include <QString>

#include <vector>

namespace tervalo::report {

// Fills the value tags ("#." + a property name, ended by the first character that cannot be part of a
// name) in the page header and footer of a sheet's records with the properties' texts, as the cells'
// tags are filled; "&" in a value is doubled so it prints as itself. An unknown property stops the
// run with the cells' error. The text is cut to the 255 characters a header holds.
void fillPageHeaderTags(std::vector<BiffRecord>& records, const ReportDataSource& source);

// A value as a header shows it: texts as they are, dates as d.M.yyyy, numbers in short form.
QString headerText(const ReportValue& value);

}  // namespace tervalo::report
