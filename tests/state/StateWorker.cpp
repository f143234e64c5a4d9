// A second copy of the program for the tests: works on the state tables of a folder from its own
// process, so tests can run two at once or kill one in the middle of a write.
//
//   state_worker DIR stress ID COUNT       appends and edits, retrying "Record locked."
//   state_worker DIR open                  opens (creating or upgrading) and closes
//   state_worker DIR state ARGS...         the state command
//   state_worker DIR hold NUMBER MS        holds the document's record lock for MS milliseconds,
//                                          printing "held" once it has it
#include "state/StateCommand.h"
#include "state/StateTables.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <thread>

using tervalo::platform::SystemLocale;
using tervalo::state::StateError;
using tervalo::state::StateTables;

namespace {

template <typename Operation>
void retryWhileLocked(Operation operation) {
    for (;;) {
        try {
            operation();
            return;
        } catch (const StateError& error) {
            if (error.text() != QStringLiteral("Record locked.")) {
                throw;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

void stress(StateTables& tables, const QString& id, int count) {
    for (int i = 0; i < count; ++i) {
        const QString document = QStringLiteral("P%1-%2").arg(id).arg(i, 7, 10, QLatin1Char('0'));
        retryWhileLocked([&] { tables.SetDocumentExport(document, i % 2 == 0); });
        retryWhileLocked(
            [&] { tables.SetAddressExport(QStringLiteral("shared%1@x.cz").arg(i % 5), i % 2 == 0); });
        retryWhileLocked([&] { tables.MarkAddressSent(QStringLiteral("both%1@x.cz").arg(i % 7)); });
        if (i % 10 == 0) {
            retryWhileLocked([&] {
                tables.writeAddressNote(QStringLiteral("w%1-%2@x.cz").arg(id).arg(i),
                                        QStringLiteral("note %1 %2").arg(id).arg(i));
            });
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        return 2;
    }
    SystemLocale czech;
    StateTables tables(args[0].endsWith(QLatin1Char('/')) ? args[0] : args[0] + QLatin1Char('/'), czech);
    try {
        tables.OpenStateTables();
        if (args[1] == QLatin1String("stress") && args.size() == 4) {
            stress(tables, args[2], args[3].toInt());
        } else if (args[1] == QLatin1String("state")) {
            QTextStream out(stdout);
            QString error;
            const int code = tervalo::state::runStateCommand(args.mid(2), tables, out, error);
            if (code != 0) {
                fprintf(stderr, "%s\n", qPrintable(error));
                return code;
            }
        } else if (args[1] == QLatin1String("hold") && args.size() == 4) {
            auto& table = tables.dtEDoklady();
            if (!table.locate(QStringLiteral("DOKLAD"), args[2])) {
                return 2;
            }
            table.edit();
            fprintf(stdout, "held\n");
            fflush(stdout);
            std::this_thread::sleep_for(std::chrono::milliseconds(args[3].toInt()));
            table.cancel();
        } else if (args[1] != QLatin1String("open")) {
            return 2;
        }
        tables.close();
    } catch (const StateError& error) {
        fprintf(stderr, "%s\n", qPrintable(error.text()));
        return 1;
    }
    return 0;
}
