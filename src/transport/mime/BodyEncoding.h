#pragma once

#include <QByteArray>
#include <QList>

namespace tervalo::transport {

// The lines of a text: broken at CR LF, a lone CR or a lone LF; a final line break adds no empty
// line, and an empty text has no lines.
QList<QByteArray> splitTextLines(const QByteArray& text);

// One line of text in quoted-printable, cut into output lines with soft line breaks ("=" at the
// end) before a blank or an escape, so that no escape is split and no line ends in a blank.
QList<QByteArray> QuotePrintableLine(const QByteArray& line);

// Standard base64 in lines of 72 characters (54 bytes each); none for empty content.
QList<QByteArray> base64Lines(const QByteArray& content);

}  // namespace tervalo::transport
