#include "platform/FieldTextWarning.h"

#include <QStringList>

namespace tervalo::platform {

std::optional<QString> unencodableFieldWarning(const QString& caption, QStringView text,
                                               const AnsiCodec& codec) {
    QStringList missing;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character beyond the 16-bit range is a surrogate pair: it is named whole.
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = text.mid(i, length);
        if (!codec.canEncode(character) && !missing.contains(character)) {
            missing << character.toString();
        }
        i += length - 1;
    }
    if (missing.isEmpty()) {
        return std::nullopt;
    }
    return QStringLiteral("Pole „") + caption +
           QStringLiteral("“ obsahuje znaky, které kódová stránka Windows-") +
           QString::number(codec.codePage()) + QStringLiteral(" neumí uložit: ") +
           missing.join(QStringLiteral(", ")) + QStringLiteral(". Opravte je prosím.");
}

}  // namespace tervalo::platform
