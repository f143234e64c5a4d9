#include "platform/SystemLocale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using tervalo::platform::LocaleSettings;
using tervalo::platform::parseDecimal;
using tervalo::platform::SystemLocale;

TEST(SystemLocale, czechDefaultsAsWindowsGivesThem) {
    SystemLocale czech;
    EXPECT_EQ(czech.ansiCodePage(), 1250);
    EXPECT_EQ(czech.localeId(), 0x0405u);
    EXPECT_EQ(czech.decimalSeparator(), QLatin1Char(','));
    EXPECT_EQ(czech.formatShortDate(QDate(2026, 3, 5)), QStringLiteral("5.3.2026"));
}

TEST(SystemLocale, environmentNamesLanguageOrFallsBackToCzech) {
    EXPECT_EQ(SystemLocale::settingsForLocaleName(QStringLiteral("C.UTF-8")).localeId, 0x0405u);
    EXPECT_EQ(SystemLocale::settingsForLocaleName(QStringLiteral("cs_CZ.UTF-8")).ansiCodePage, 1250);
    auto german = SystemLocale::settingsForLocaleName(QStringLiteral("de_DE.UTF-8"));
    EXPECT_EQ(german.ansiCodePage, 1252);
    EXPECT_EQ(german.localeId, 0x0407u);
    EXPECT_EQ(german.decimalSeparator, QLatin1Char(','));
    auto english = SystemLocale::settingsForLocaleName(QStringLiteral("en_US.UTF-8"));
    EXPECT_EQ(english.decimalSeparator, QLatin1Char('.'));
    EXPECT_EQ(SystemLocale::settingsForLocaleName(QStringLiteral("ru_RU")).ansiCodePage, 1251);
}

TEST(SystemLocale, parsesShortDates) {
    SystemLocale czech;
    struct Case {
        const char* text;
        QDate expected;
    };
    const Case cases[] = {
        {"5.3.2026", QDate(2026, 3, 5)},
        {"05.03.2026", QDate(2026, 3, 5)},
        {" 31.12.1999 ", QDate(1999, 12, 31)},
        {"29.2.2024", QDate(2024, 2, 29)},
        {"29.2.2023", QDate()},
        {"", QDate()},
        {"5.3.", QDate()},
        {"a.3.2026", QDate()},
        {"32.1.2026", QDate()},
        {"5/3/2026", QDate()},
    };
    for (const auto& c : cases) {
        auto parsed = czech.parseShortDate(QString::fromUtf8(c.text));
        EXPECT_EQ(parsed.value_or(QDate()), c.expected) << c.text;
    }
}

TEST(SystemLocale, upperCasingAndCaseSignificantCollation) {
    SystemLocale czech;
    EXPECT_EQ(czech.toUpper(QStringLiteral("ostatní čšř")), QStringLiteral("OSTATNÍ ČŠŘ"));
    // Czech collation: "ch" sorts after "h", "č" after "c"; letter case is significant but
    // secondary to the letters themselves.
    EXPECT_LT(czech.compare(QStringLiteral("hrad"), QStringLiteral("chata")), 0);
    EXPECT_LT(czech.compare(QStringLiteral("cukr"), QStringLiteral("čaj")), 0);
    EXPECT_NE(czech.compare(QStringLiteral("abc"), QStringLiteral("ABC")), 0);
    EXPECT_LT(czech.compare(QStringLiteral("abc"), QStringLiteral("ABD")), 0);
}

TEST(ParseDecimal, acceptsSignExponentAndTheGivenSeparatorOnly) {
    struct Case {
        const char* text;
        QChar separator;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"1234,5", QLatin1Char(','), 1234.5},
        {"-0,25", QLatin1Char(','), -0.25},
        {"+3", QLatin1Char(','), 3.0},
        {"1,5E3", QLatin1Char(','), 1500.0},
        {"1.5", QLatin1Char('.'), 1.5},
        {" 7 ", QLatin1Char(','), 7.0},
        {"1.5", QLatin1Char(','), std::nullopt},
        {"1 234,5", QLatin1Char(','), std::nullopt},
        {"", QLatin1Char(','), std::nullopt},
        {"abc", QLatin1Char(','), std::nullopt},
        {"1,2,3", QLatin1Char(','), std::nullopt},
        {"1e", QLatin1Char(','), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDecimal(QString::fromUtf8(c.text), c.separator), c.expected) << c.text;
    }
}

// Short plain amounts take a quicker path than the full parse; both must give the very same double,
// the correctly rounded one, including at the edge of 15 and 16 digits.
TEST(ParseDecimal, plainAmountsGiveTheCorrectlyRoundedDouble) {
    std::mt19937_64 random(20261210);
    std::vector<std::string> texts = {"0,1",
                                      "0,3",
                                      "-0",
                                      "5,",
                                      ",5",
                                      "999999999999999",
                                      "9999999999999999",
                                      "0,000000000000001",
                                      "123456789012,345",
                                      "-98765,4321",
                                      "00012,50"};
    for (int i = 0; i < 20000; ++i) {
        std::string digits = std::to_string(random() % 10000000000000000ULL);
        const std::size_t point = random() % (digits.size() + 1);
        std::string text = (random() % 2 ? "-" : "") + digits.substr(0, point) + "," + digits.substr(point);
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        std::string dotted = text;
        std::replace(dotted.begin(), dotted.end(), ',', '.');
        double expected = 0;
        std::from_chars(dotted.data(), dotted.data() + dotted.size(), expected);
        const std::optional<double> parsed = parseDecimal(QString::fromStdString(text), QLatin1Char(','));
        ASSERT_TRUE(parsed) << text;
        EXPECT_EQ(std::memcmp(&*parsed, &expected, sizeof(double)), 0) << text;
    }
}
