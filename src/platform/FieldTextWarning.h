#pragma once

#include "platform/AnsiCodec.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace tervalo::platform {

// The warning for a text typed into the field captioned `caption` that holds characters the code
// page cannot store (they would be saved as "?"), naming them; nothing when the text can be saved.
std::optional<QString> unencodableFieldWarning(const QString& caption, QStringView text,
                                               const AnsiCodec& codec);

}  // namespace tervalo::platform
