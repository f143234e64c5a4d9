#include "import/AmountFormat.h"

#include <gtest/gtest.h>

TEST(AmountFormat, twoDecimalsGroupedByThree) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {{0, "0,00"},          {0.004, "0,00"},       {-0.004, "0,00"},
                          {5.5, "5,50"},        {999.995, "1 000,00"}, {1234567.891, "1 234 567,89"},
                          {-2420, "-2 420,00"}, {100000, "100 000,00"}};
    for (const auto& c : cases) {
        EXPECT_EQ(tervalo::import::formatAmount(c.value, QLatin1Char(',')).toStdString(), c.expected)
            << c.value;
    }
    EXPECT_EQ(tervalo::import::formatAmount(12.5, QLatin1Char('.')), QStringLiteral("12.50"));
}
