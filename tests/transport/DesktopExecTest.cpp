#include "support/CaseName.h"
#include "transport/mailclient/DesktopExec.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <optional>

namespace tervalo::transport {
namespace {

struct ExecCase {
    std::string name;
    QString exec;
    std::optional<QStringList> arguments;
};

class ExpandExecTest : public ::testing::TestWithParam<ExecCase> {};

TEST_P(ExpandExecTest, splitsAndReplacesFieldCodes) {
    const ExecFields fields{
        {QStringLiteral("mailto:a@b.cz?subject=%25u%20\"x\""), QStringLiteral("mailto:c@d.cz")},
        QStringLiteral("posta-ikona"),
        QStringLiteral("Pošta"),
        QStringLiteral("/usr/share/applications/posta.desktop")};
    const std::optional<QStringList> arguments = ExpandExec(GetParam().exec, fields);
    ASSERT_EQ(arguments.has_value(), GetParam().arguments.has_value());
    if (arguments) {
        EXPECT_EQ(*arguments, *GetParam().arguments);
    }
}

const QString kUri = QStringLiteral("mailto:a@b.cz?subject=%25u%20\"x\"");
const QString kSecond = QStringLiteral("mailto:c@d.cz");

INSTANTIATE_TEST_SUITE_P(
    Lines, ExpandExecTest,
    ::testing::Values(
        ExecCase{"single_uri", QStringLiteral("posta %u"), QStringList{QStringLiteral("posta"), kUri}},
        ExecCase{"uri_list", QStringLiteral("posta --x %U --y"),
                 QStringList{QStringLiteral("posta"), QStringLiteral("--x"), kUri, kSecond,
                             QStringLiteral("--y")}},
        ExecCase{"file_codes_take_the_uri", QStringLiteral("posta %f"),
                 QStringList{QStringLiteral("posta"), kUri}},
        ExecCase{"code_inside_an_argument", QStringLiteral("posta --url=%u"),
                 QStringList{QStringLiteral("posta"), QStringLiteral("--url=") + kUri}},
        ExecCase{"quoted_program_with_blanks_and_escapes",
                 QStringLiteral("\"/opt/my mail/posta\" \"a \\\"b\\\" \\\\ \\$c\" %u"),
                 QStringList{QStringLiteral("/opt/my mail/posta"), QStringLiteral("a \"b\" \\ $c"), kUri}},
        ExecCase{"empty_quoted_argument", QStringLiteral("posta \"\" %u"),
                 QStringList{QStringLiteral("posta"), QString(), kUri}},
        ExecCase{"icon_name_location_percent", QStringLiteral("posta %i --title=%c %k 100%% %d %u"),
                 QStringList{QStringLiteral("posta"), QStringLiteral("--icon"), QStringLiteral("posta-ikona"),
                             QStringLiteral("--title=Pošta"),
                             QStringLiteral("/usr/share/applications/posta.desktop"), QStringLiteral("100%"),
                             kUri}},
        ExecCase{"no_uri_code_appends_the_uris", QStringLiteral("  posta   -compose  "),
                 QStringList{QStringLiteral("posta"), QStringLiteral("-compose"), kUri, kSecond}},
        ExecCase{"escaped_percent_is_no_uri_code", QStringLiteral("posta %%u"),
                 QStringList{QStringLiteral("posta"), QStringLiteral("%u"), kUri, kSecond}},
        ExecCase{"open_quote", QStringLiteral("posta \"%u"), std::nullopt},
        ExecCase{"empty", QStringLiteral("   "), std::nullopt}),
    test::CaseName());

TEST(ExpandExec, aLoneUriCodeWithoutUrisLeavesNoArgument) {
    EXPECT_EQ(ExpandExec(QStringLiteral("thunderbird %u -P x"), {}),
              (QStringList{QStringLiteral("thunderbird"), QStringLiteral("-P"), QStringLiteral("x")}));
}

}  // namespace
}  // namespace tervalo::transport
