#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

using tervalo::platform::AnsiCodec;

TEST(AnsiCodec, windows1250RoundTripsCzechLetters) {
    AnsiCodec codec(1250);
    const QString czech = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy ŘŽŠČĚÝÁÍÉŮÚŤĎŇ");
    QByteArray bytes = codec.encode(czech);
    EXPECT_EQ(bytes.size(), czech.size());
    EXPECT_EQ(uchar(bytes[1]), 0xF8);  // ř
    EXPECT_EQ(codec.decode(bytes), czech);
    EXPECT_TRUE(codec.canEncode(czech));
}

TEST(AnsiCodec, unmappableCharactersBecomeReplacement) {
    AnsiCodec codec(1250);
    EXPECT_EQ(codec.encode(QStringLiteral("a\u20AC\u0416b")), QByteArray("a\x80?b"));
    EXPECT_FALSE(codec.canEncode(QStringLiteral("\u0416")));
}

TEST(AnsiCodec, undefinedBytesMapToTheirOwnCodePoint) {
    AnsiCodec codec(1250);
    EXPECT_EQ(codec.decodeByte(0x81), u'\u0081');
    EXPECT_EQ(codec.encode(codec.decode(QByteArray("\x81"))), QByteArray("\x81"));
}

TEST(AnsiCodec, unknownCodePageIsRefused) {
    EXPECT_THROW(AnsiCodec(12345), std::invalid_argument);
}
