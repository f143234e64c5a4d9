#pragma once

#include "transport/mailclient/ComposeFields.h"

#include <QString>

#include <optional>

namespace tervalo::transport {

// One command-line argument may hold at most 128 KiB; percent-encoding triples a text, so a body
// whose encoded form is longer than this goes through a file.
constexpr qsizetype kComposeBodyLimit = 40 * 1024;

bool ComposeBodyFitsOnCommandLine(const QString& body);

// The value of "-compose" for the Thunderbird family: comma-separated key=value pairs. Every value
// is percent-encoded and unquoted (the client decodes those), so no comma, quote or line break of
// the data can end a value; attachments are quoted file URLs, which the client takes raw, each
// fully percent-encoded. `messageFile` (UTF-8) carries the body instead of "body=" when given.
QString ThunderbirdComposeValue(const ComposeFields& fields, const std::optional<QString>& messageFile);

}  // namespace tervalo::transport
