#include "cli/BulkCommand.h"

#include "app/LoadExport.h"
#include "app/StartUp.h"
#include "cli/LevelOption.h"
#include "sending/BulkEmailingTexts.h"
#include "sending/FirstEmailingHint.h"
#include "sending/RunBulkEmailing.h"

#include <csignal>
#include <optional>

namespace tervalo::cli {

namespace {

constexpr int kStoppedBeforeFirstDebtor = 3;

struct BulkArguments {
    QString exportPath;
    bool onlyWithEmail = false;
    bool resend = false;
    std::optional<sending::TestMode> testMode;
    std::optional<int> level;
};

std::optional<BulkArguments> parse(QStringList args, const app::AppSettings& settings) {
    BulkArguments parsed;
    const LevelOption level = takeLevelOption(args, settings);
    if (!level.valid) {
        return std::nullopt;
    }
    parsed.level = level.level;
    std::optional<QString> count;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool valueFollows = i + 1 < args.size();
        if (arg == QStringLiteral("--only-with-email")) {
            parsed.onlyWithEmail = true;
        } else if (arg == QStringLiteral("--resend")) {
            parsed.resend = true;
        } else if (arg == QStringLiteral("--test") && valueFollows && !parsed.testMode) {
            parsed.testMode = sending::TestMode{args[++i], QStringLiteral("5"), 5};
        } else if (arg == QStringLiteral("--count") && valueFollows && !count) {
            count = args[++i];
        } else if (!arg.startsWith(QStringLiteral("--")) && parsed.exportPath.isEmpty()) {
            parsed.exportPath = arg;
        } else {
            return std::nullopt;
        }
    }
    if (parsed.exportPath.isEmpty() || (count && !parsed.testMode)) {
        return std::nullopt;
    }
    if (count) {
        bool isNumber = false;
        parsed.testMode->count = count->toInt(&isNumber);
        parsed.testMode->countText = *count;
        if (!isNumber) {
            return std::nullopt;
        }
    }
    return parsed;
}

// SIGINT and SIGTERM held back from the start of the command, so that neither ends the program in
// the middle of a reminder: the run asks whether one is pending and stops after the reminder being
// sent. Held back before the load starts its thread, so every thread of the program holds them back.
sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

bool stopSignalPending() {
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    return sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1;
}

int run(CliContext& context, BulkArguments& arguments) {
    app::AppSession& session = context.session;
    sending::ShowFirstEmailingHint(session.settings, context.ui);
    if (arguments.testMode && !sending::AcceptTestAddress(arguments.testMode->address, context.ui)) {
        return kStoppedBeforeFirstDebtor;
    }
    sending::Protocol protocol;
    sending::BulkEmailingTexts view;
    compose::ReminderContext reminder = app::ReminderContextOf(session, context.ui);
    sending::BulkEmailingContext bulk{reminder, *session.stateTables, session.TempDir, protocol, view};
    state::SendJournal journal(state::SendJournal::pathIn(session.AppDir));
    bulk.journal = &journal;
    bulk.stopWanted = stopSignalPending;
    bulk.forcedLevel = arguments.level;
    bulk.confirmResend = [&](const QString& question) {
        return context.ui.confirmWith(question, arguments.resend);
    };
    auto printProtocol = [&] {
        for (const QString& line : protocol.linesFrom(0)) {
            context.out << line << '\n';
        }
        context.out.flush();
    };
    session.tables.mtFirmy.first();
    int result = 0;
    try {
        result = sending::RunBulkEmailing(bulk, arguments.testMode);
    } catch (...) {
        printProtocol();
        throw;
    }
    printProtocol();
    return result == 0 ? Success : kStoppedBeforeFirstDebtor;
}

}  // namespace

int runBulk(CliContext& context) {
    std::optional<BulkArguments> arguments = parse(context.args, context.session.settings);
    if (!arguments) {
        context.ui.error(QStringLiteral(
            "usage: tervalo-cli [--app-dir DIR] [--yes] bulk EXPORT [--only-with-email] [--test ADDRESS] "
            "[--count N] [--resend] [--level N]"));
        return Usage;
    }
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    app::AppSession& session = context.session;
    if (!app::LoadExport(session, arguments->exportPath, context.ui)) {
        return Ended;
    }
    if (arguments->onlyWithEmail) {
        // The browser's "jen firmy s e-mailem".
        session.tables.mtFirmy.setFilter(u"JeEmail", true);
        session.tables.mtFirmy.setFiltered(true);
    }
    // The settings are saved as the program's close saves them, also when the run ends in an error.
    struct SaveAtClose {
        CliContext& context;
        ~SaveAtClose() { app::ShutDown(context.session, QString(), 0, context.ui); }
    } saveAtClose{context};
    return run(context, *arguments);
}

}  // namespace tervalo::cli
