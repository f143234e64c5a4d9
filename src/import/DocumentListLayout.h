#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace tervalo::compose {

// One line of the document table: number, issued, due, total, unpaid, currency.
using DocumentTableLine = std::array<QString, 6>;

// A fixed-width text table: the title line, a line of spaces and one line per row, each ended by
// CR LF. Every column (as many as `rightAligned` has) is as wide as its longest text plus one space,
// left- or right-aligned as `rightAligned` says.
QString LayOutFixedWidthTable(const QStringList& titles, const std::vector<QStringList>& rows,
                              const std::vector<bool>& rightAligned);

// The table part of a document list: the title line, a line of spaces and one line per document,
// each ended by CR LF. Every column is as wide as its longest text plus one space; the number and
// currency are left-aligned, the dates and amounts right-aligned.
QString LayOutDocumentTable(const DocumentTableLine& titles, const std::vector<DocumentTableLine>& documents);

// The heading framed by two rules of "=" as long as it, then an empty line, in front of the table.
QString AddDocumentListHeading(const QString& heading, const QString& table);

// Two decimals with the given separator, no thousands separator; a value that is no number is zero.
QString FormatDocumentAmount(double value, QChar decimalSeparator);

}  // namespace tervalo::compose
