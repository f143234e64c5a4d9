#include "cli/StateCommand.h"

#include "state/StateCommand.h"

namespace tervalo::cli {

int runState(CliContext& context) {
    QString errorText;
    const int status =
        state::runStateCommand(context.args, *context.session.stateTables, context.out, errorText);
    if (status != Success) {
        context.ui.error(errorText);
    }
    return status;
}

}  // namespace tervalo::cli
