#pragma once

#include "browser/GridColumns.h"

#include <QPixmap>

namespace tervalo::browser {

// The 16x16 status icons, drawn once: no e-mail address (imgGridSmallIco1), excluded by the user
// (imgGridSmallIco2), the document has a note (imgGridSmallIco3).
const QPixmap& gridIcon(GridIcon icon);

}  // namespace tervalo::browser
