#pragma once

#include "platform/Error.h"

#include <QString>

namespace tervalo::report {

// Every failure of a report run: a template the engine cannot use, a missing dataset or property,
// data that does not fit a worksheet, or a file that cannot be read or written. The text is what the
// user is shown.
class ReportError : public platform::Error {
public:
    explicit ReportError(const QString& text, qint64 offset = -1) : platform::Error(text, {}, offset) {}
};

// The workbook file itself is damaged or of a kind the engine does not read; `offset` is the byte
// position in the Workbook stream where reading stopped.
class XlsFormatError : public ReportError {
public:
    XlsFormatError(const QString& what, qint64 offset)
        : ReportError(
              QStringLiteral("Šablona není platný sešit Excel 97–2003: %1 (pozice %2 v datovém proudu "
                             "Workbook)")
                  .arg(what)
                  .arg(offset),
              offset) {}
};

}  // namespace tervalo::report
