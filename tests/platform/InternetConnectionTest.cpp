#include "platform/InternetConnection.h"

#include <gtest/gtest.h>

using tervalo::platform::IsInternetConnected;

namespace {

// Nothing listens on the port: only the route counts, and nothing is sent.
TEST(IsInternetConnected, aLoopbackServerIsReachable) {
    EXPECT_TRUE(IsInternetConnected(QStringLiteral("127.0.0.1"), 25));
    EXPECT_TRUE(IsInternetConnected(QStringLiteral("localhost"), 2525));
}

TEST(IsInternetConnected, aHostThatDoesNotResolveIsNot) {
    EXPECT_FALSE(IsInternetConnected(QStringLiteral("nonexistent.invalid"), 25));
    EXPECT_FALSE(IsInternetConnected(QString(), 25));
}

}  // namespace
