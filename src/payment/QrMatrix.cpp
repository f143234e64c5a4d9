#include "payment/QrMatrix.h"

#include "platform/Error.h"

#include <qrencode.h>

#include <memory>

namespace tervalo::compose {

QrMatrix EncodeQr(const QByteArray& text) {
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code) {
        throw platform::Error(QStringLiteral("QR kód nelze vytvořit: text je příliš dlouhý."));
    }
    QrMatrix matrix;
    matrix.width = code->width;
    matrix.dark.resize(std::size_t(code->width) * std::size_t(code->width));
    for (std::size_t i = 0; i < matrix.dark.size(); ++i) {
        matrix.dark[i] = (code->data[i] & 1) != 0;  // bit 0 is the module's colour
    }
    return matrix;
}

}  // namespace tervalo::compose
