#pragma once

#include "transport/mime/MimeCharsets.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringView>

namespace tervalo::transport {

// A subject, display name or file name for a header: unchanged when it holds no header special
// (underscore aside) and no control or 8-bit byte; else encoded words of at most about 32
// characters in the charset `ChooseMimeCharset` picks, every byte beyond plain text escaped.
QByteArray EncodeHeaderText(QStringView text, const MimeCharsets& charsets);

// One address entry ("Name <address>", "<address>", "address"): the bare address; a plain display
// name in double quotes immediately followed by "<address>"; an encoded display name as bare
// encoded words, a blank and "<address>".
QByteArray EncodeAddressField(QStringView entry, const MimeCharsets& charsets);

// "Tue, 5 Mar 2024 14:03:07 +0100". `biasMinutes` follows the Windows convention: minutes to add
// to local time to get UTC (-60 for +0100).
QByteArray FormatMailDate(const QDateTime& localTime, int biasMinutes);

// One header line cut into the line and its continuation lines (each starting with a blank),
// preferably after "; " or ", ", else before a blank, so that pieces stay under 78 characters.
QList<QByteArray> FoldHeaderLine(const QByteArray& line);

}  // namespace tervalo::transport
