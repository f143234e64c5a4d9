#pragma once

#include <QByteArray>
#include <QStringList>

namespace tervalo::test {

// The texts of the QR codes in a PNG image, read by Debian's zbarimg: an independent decoder, so a
// code that only our own encoder could read fails. A missing zbarimg fails the test.
QStringList decodeQrCodes(const QByteArray& png);

}  // namespace tervalo::test
