#include "state/StateCommand.h"
#include "state/StateTables.h"

#include "support/TempAppDir.h"

#include <QTextStream>

#include <gtest/gtest.h>

using tervalo::platform::SystemLocale;
using tervalo::state::runStateCommand;
using tervalo::state::StateTables;
using tervalo::test::TempAppDir;

namespace {

class StateCommandTest : public ::testing::Test {
protected:
    void SetUp() override { tables.OpenStateTables(); }

    // The printed line, or "exit N: error" when the command fails.
    QString command(const QStringList& args) {
        QString printed;
        QTextStream out(&printed);
        QString error;
        const int code = runStateCommand(args, tables, out, error);
        out.flush();
        return code == 0 ? printed.trimmed() : QStringLiteral("exit %1: %2").arg(code).arg(error);
    }

    TempAppDir dir;
    SystemLocale czech;
    StateTables tables{dir.path(), czech};
};

TEST_F(StateCommandTest, printsAndStoresAddressesAndDocuments) {
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    struct Step {
        QStringList args;
        QString expected;
    };
    const std::vector<Step> steps = {
        {{QStringLiteral("address"), QStringLiteral("a@b.cz")},
         QStringLiteral(R"({"EMAIL":null,"EXPORT":null,"LASTSEND":null,"NOTE":null,"exists":false})")},
        {{QStringLiteral("address"), QStringLiteral("a@b.cz"), QStringLiteral("--export"),
          QStringLiteral("0")},
         QStringLiteral(R"({"EMAIL":"A@B.CZ","EXPORT":false,"LASTSEND":null,"NOTE":"","exists":true})")},
        {{QStringLiteral("state"), QStringLiteral("address"), QStringLiteral("A@b.cz"),
          QStringLiteral("--mark-sent"), QStringLiteral("--note"), QStringLiteral("řádek 1\nřádek 2")},
         QStringLiteral(
             R"({"EMAIL":"A@B.CZ","EXPORT":false,"LASTSEND":"%1","NOTE":"řádek 1\nřádek 2","exists":true})")
             .arg(today)},
        {{QStringLiteral("document"), QStringLiteral("fv1")},
         QStringLiteral(R"({"DOKLAD":null,"EXPORT":null,"POZN":null,"exists":false})")},
        {{QStringLiteral("document"), QStringLiteral("fv1"), QStringLiteral("--note"),
          QStringLiteral("pozor")},
         QStringLiteral(R"({"DOKLAD":"FV1","EXPORT":true,"POZN":"pozor","exists":true})")},
        {{QStringLiteral("document"), QStringLiteral("FV1"), QStringLiteral("--export"), QStringLiteral("0")},
         QStringLiteral(R"({"DOKLAD":"FV1","EXPORT":false,"POZN":"pozor","exists":true})")},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(command(step.args), step.expected) << step.args.join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(StateCommandTest, rejectsWrongArguments) {
    for (const QStringList& args :
         {QStringList{}, QStringList{QStringLiteral("address")},
          QStringList{QStringLiteral("debtor"), QStringLiteral("x")},
          QStringList{QStringLiteral("address"), QStringLiteral("x"), QStringLiteral("--export"),
                      QStringLiteral("2")},
          QStringList{QStringLiteral("document"), QStringLiteral("x"), QStringLiteral("--mark-sent")}}) {
        EXPECT_TRUE(command(args).startsWith(QStringLiteral("exit 2: usage:")))
            << args.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_EQ(tables.dtEarchiv().recordCount(), 0u);
}

}  // namespace
