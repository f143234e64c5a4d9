#pragma once

#include <QByteArray>

#include <vector>

namespace tervalo::compose {

// The modules of a QR code, row by row, without quiet zone.
struct QrMatrix {
    int width = 0;
    std::vector<bool> dark;  // width * width

    bool isDark(int x, int y) const { return dark[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// The text as a QR code with error correction level M, in the smallest version that holds it; the
// encoder picks numeric, alphanumeric and byte segments itself, case-sensitive. Throws
// std::runtime_error when the text does not fit any version.
QrMatrix EncodeQr(const QByteArray& text);

}  // namespace tervalo::compose
