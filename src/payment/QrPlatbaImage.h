#pragma once

#include "payment/QrMatrix.h"

#include <QByteArray>

namespace tervalo::compose {

// The code as a 1-bit PNG: 6 pixels a module, a quiet zone of 4 modules, a thin frame around it and
// the caption "QR platba" under the code inside the frame. The only code that draws with Qt Gui; its
// own library keeps Gui out of the logic that calls it.
QByteArray QrPlatbaPng(const QrMatrix& matrix);

}  // namespace tervalo::compose
