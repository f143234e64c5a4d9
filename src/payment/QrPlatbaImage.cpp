#include "payment/QrPlatbaImage.h"

#include <QBuffer>
#include <QImage>

#include <array>
#include <map>

namespace tervalo::compose {

namespace {

constexpr int kModule = 6;      // pixels a module
constexpr int kQuietZone = 4;   // modules
constexpr int kFrame = 2;       // pixels
constexpr int kTextPixel = 3;   // pixels a dot of the caption's font
constexpr int kGlyphWidth = 5;  // dots; glyphs are 9 dots high, the last two for descenders
constexpr int kGlyphHeight = 9;

// A small dot font of the caption's letters, drawn without any font of the system, so the image is
// the same everywhere and needs no display.
const std::map<char, std::array<const char*, kGlyphHeight>>& glyphs() {
    static const std::map<char, std::array<const char*, kGlyphHeight>> font = {
        {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#", ".....", "....."}},
        {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#", ".....", "....."}},
        {'p', {".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."}},
        {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###.", ".....", "....."}},
        {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####", ".....", "....."}},
        {'t', {".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##.", ".....", "....."}},
        {'b', {"#....", "#....", "####.", "#...#", "#...#", "#...#", "####.", ".....", "....."}},
        {' ', {".....", ".....", ".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    };
    return font;
}

void fillRect(QImage& image, int left, int top, int width, int height) {
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x) {
            image.setPixel(x, y, 1);
        }
    }
}

void drawCaption(QImage& image, const char* text, int left, int top) {
    for (int i = 0; text[i] != '\0'; ++i) {
        const auto& rows = glyphs().at(text[i]);
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int column = 0; column < kGlyphWidth; ++column) {
                if (rows[std::size_t(row)][column] == '#') {
                    fillRect(image, left + (i * (kGlyphWidth + 1) + column) * kTextPixel,
                             top + row * kTextPixel, kTextPixel, kTextPixel);
                }
            }
        }
    }
}

}  // namespace

QByteArray QrPlatbaPng(const QrMatrix& matrix) {
    static constexpr char kCaption[] = "QR platba";
    const int codeSide = (matrix.width + 2 * kQuietZone) * kModule;
    const int captionHeight = (kGlyphHeight + 2) * kTextPixel;
    const int width = codeSide + 2 * kFrame;
    const int height = codeSide + captionHeight + 2 * kFrame;

    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    fillRect(image, 0, 0, width, kFrame);
    fillRect(image, 0, height - kFrame, width, kFrame);
    fillRect(image, 0, 0, kFrame, height);
    fillRect(image, width - kFrame, 0, kFrame, height);

    const int origin = kFrame + kQuietZone * kModule;
    for (int y = 0; y < matrix.width; ++y) {
        for (int x = 0; x < matrix.width; ++x) {
            if (matrix.isDark(x, y)) {
                fillRect(image, origin + x * kModule, origin + y * kModule, kModule, kModule);
            }
        }
    }
    const int captionWidth = (int(sizeof(kCaption)) - 1) * (kGlyphWidth + 1) * kTextPixel - kTextPixel;
    drawCaption(image, kCaption, (width - captionWidth) / 2, kFrame + codeSide);

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

}  // namespace tervalo::compose
