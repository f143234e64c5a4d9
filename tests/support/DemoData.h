#pragma once

#include "platform/AnsiCodec.h"
#include "support/QtPrinting.h"
#include "support/TempAppDir.h"

namespace tervalo::test {

// The Windows-1250 codec the test data is written in.
const platform::AnsiCodec& cp1250();

// Writes the demo definition file (data/uhterv.def.src) as uhterv.def into the folder.
void writeDemoDefFile(const TempAppDir& dir);

// The path of the bundled demo export in the source tree.
QString demoExportPath();

}  // namespace tervalo::test
