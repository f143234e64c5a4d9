#include "cli/LevelOption.h"

namespace tervalo::cli {

LevelOption takeLevelOption(QStringList& args, const app::AppSettings& settings) {
    LevelOption option;
    for (qsizetype i = args.indexOf(QStringLiteral("--level")); i >= 0;
         i = args.indexOf(QStringLiteral("--level"))) {
        bool isNumber = false;
        const int level = i + 1 < args.size() ? args[i + 1].toInt(&isNumber) : 0;
        args.remove(i, qMin<qsizetype>(2, args.size() - i));
        if (!isNumber || option.level || level < 1 || level > settings.PocetUrovni) {
            option.valid = false;
        }
        option.level = level;
    }
    return option;
}

}  // namespace tervalo::cli
