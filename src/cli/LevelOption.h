#pragma once

#include "settings/AppSettings.h"

#include <QStringList>

#include <optional>

namespace tervalo::cli {

// The option "--level N" forces reminder level N (1 to the number of levels in use) for the run.
struct LevelOption {
    bool valid = true;         // false: given without a number, twice, or out of range
    std::optional<int> level;  // none: each debtor's own level
};

// Takes "--level N" out of `args`.
LevelOption takeLevelOption(QStringList& args, const app::AppSettings& settings);

}  // namespace tervalo::cli
