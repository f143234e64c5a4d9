#include "transport/charset/Charset.h"
#include "transport/charset/CharsetConverter.h"

#include "platform/SystemLocale.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace tervalo::transport {
namespace {

using Engine = CharsetConverter::Engine;
using Purpose = CharsetConverter::Purpose;

QByteArray cp1250(const QString& text) {
    return encodeText(text, Charset::CP1250);
}

struct CodePageCase {
    const char* name;
    int codePage;
    Charset expected;
};

class LocalCharsetTest : public testing::TestWithParam<CodePageCase> {};

TEST_P(LocalCharsetTest, followsTheAnsiCodePage) {
    EXPECT_EQ(localCharsetForCodePage(GetParam().codePage), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(CodePages, LocalCharsetTest,
                         testing::Values(CodePageCase{"windows_1250", 1250, Charset::CP1250},
                                         CodePageCase{"windows_1258", 1258, Charset::CP1258},
                                         CodePageCase{"iso_8859_2", 28592, Charset::ISO_8859_2},
                                         CodePageCase{"iso_8859_9", 28599, Charset::ISO_8859_9},
                                         CodePageCase{"cp852", 852, Charset::CP852},
                                         CodePageCase{"kamenicky", 895, Charset::CP895},
                                         CodePageCase{"utf8", 65001, Charset::UTF_8},
                                         CodePageCase{"cp437_as_latin1", 437, Charset::ISO_8859_1},
                                         CodePageCase{"cp850_as_latin1", 850, Charset::ISO_8859_1},
                                         CodePageCase{"ascii_as_latin1", 20127, Charset::ISO_8859_1},
                                         CodePageCase{"thai_as_latin9", 874, Charset::ISO_8859_15},
                                         CodePageCase{"unknown_is_windows_1252", 12345, Charset::CP1252}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(LocalCharset, comesFromTheSystemLocale) {
    EXPECT_EQ(LocalCharset(platform::SystemLocale()), Charset::CP1250);
    platform::LocaleSettings russian;
    russian.ansiCodePage = 1251;
    EXPECT_EQ(LocalCharset(platform::SystemLocale(russian)), Charset::CP1251);
}

struct ChooseCase {
    const char* name;
    QString text;
    Charset local;
    Charset expected;
};

// Both engines must agree on the choice: the built-in tables are what a system without the
// conversion library gets.
class ChooseMimeCharsetTest : public testing::TestWithParam<std::tuple<ChooseCase, Engine>> {};

TEST_P(ChooseMimeCharsetTest, picksTheFirstCandidateThatCarriesTheText) {
    const auto& [c, engine] = GetParam();
    CharsetConverter converter(engine);
    EXPECT_EQ(charsetLabel(converter.ChooseMimeCharset(encodeText(c.text, c.local), c.local)),
              charsetLabel(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ChooseMimeCharsetTest,
    testing::Combine(
        testing::Values(
            ChooseCase{"empty", QString(), Charset::CP1250, Charset::ISO_8859_1},
            ChooseCase{"ascii", QStringLiteral("Dear customer, please pay."), Charset::CP1250,
                       Charset::ISO_8859_1},
            ChooseCase{"czech_in_latin1", QStringLiteral("Dobrý den, Václave"), Charset::CP1250,
                       Charset::ISO_8859_1},
            ChooseCase{"czech", QStringLiteral("Upomínka neuhrazených dokladů, pan Řezníček"),
                       Charset::CP1250, Charset::ISO_8859_2},
            // No candidate holds the quotes: the one that keeps the most wins.
            ChooseCase{"czech_with_typographic_quotes", QStringLiteral("Firma \u201EKůň\u201C s.r.o."),
                       Charset::CP1250, Charset::ISO_8859_2},
            ChooseCase{"russian", QStringLiteral("Счёт не оплачен"), Charset::CP1251, Charset::ISO_8859_5},
            ChooseCase{"greek", QStringLiteral("Τιμολόγιο"), Charset::CP1253, Charset::ISO_8859_7},
            ChooseCase{"hebrew_label_with_underscore", QStringLiteral("חשבונית"), Charset::CP1255,
                       Charset::ISO_8859_8},
            ChooseCase{"czech_beyond_the_sample", QString(1024, u'a') + QStringLiteral("ř"), Charset::CP1250,
                       Charset::ISO_8859_1},
            ChooseCase{"czech_at_the_end_of_the_sample", QString(1023, u'a') + QStringLiteral("ř"),
                       Charset::CP1250, Charset::ISO_8859_2},
            ChooseCase{"utf8_local_counts_characters", QString(1023, u'a') + QStringLiteral("ř"),
                       Charset::UTF_8, Charset::ISO_8859_2}),
        testing::Values(Engine::ConversionLibrary, Engine::BuiltInTables)),
    [](const auto& param) {
        return std::string(std::get<0>(param.param).name) +
               (std::get<1>(param.param) == Engine::BuiltInTables ? "_builtin" : "_iconv");
    });

struct ConvertCase {
    const char* name;
    Engine engine;
    Purpose purpose;
    QByteArray expected;
};

class ConvertTypographicQuotesTest : public testing::TestWithParam<ConvertCase> {};

// windows-1250 „Kůň“ to ISO-8859-2, which has no typographic quotes.
TEST_P(ConvertTypographicQuotesTest, handlesCharactersTheTargetLacks) {
    CharsetConverter converter(GetParam().engine);
    EXPECT_EQ(converter.ConvertCharset(QByteArray("\x84K\xF9\xF2\x93"), Charset::CP1250, Charset::ISO_8859_2,
                                       GetParam().purpose),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Engines, ConvertTypographicQuotesTest,
    testing::Values(ConvertCase{"builtin_sending_gives_underscore", Engine::BuiltInTables, Purpose::Sending,
                                QByteArray("_K\xF9\xF2_")},
                    ConvertCase{"builtin_round_trip_drops", Engine::BuiltInTables, Purpose::RoundTrip,
                                QByteArray("K\xF9\xF2")},
                    ConvertCase{"iconv_sending_transliterates_low_quote_to_two_commas",
                                Engine::ConversionLibrary, Purpose::Sending, QByteArray(",,K\xF9\xF2\"")},
                    ConvertCase{"iconv_round_trip_drops", Engine::ConversionLibrary, Purpose::RoundTrip,
                                QByteArray("K\xF9\xF2")}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ConvertCharset, sameSetReturnsTheTextUnchanged) {
    const QByteArray anything("\x84\x81\xFF\x00 x", 6);
    for (Engine engine : {Engine::ConversionLibrary, Engine::BuiltInTables}) {
        EXPECT_EQ(CharsetConverter(engine).ConvertCharset(anything, Charset::CP1250, Charset::CP1250),
                  anything);
    }
}

TEST(ConvertCharset, czechLettersMapByThePublishedTables) {
    const QByteArray text = cp1250(QStringLiteral("Příliš žluťoučký kůň ŘŠŤŽ"));
    const QByteArray expected(
        "P\xF8\xED\x6C\x69\xB9 \xBE\x6C\x75\xBB\x6F\x75\xE8\x6B\xFD \x6B\xF9\xF2 \xD8\xA9\xAB\xAE");
    for (Engine engine : {Engine::ConversionLibrary, Engine::BuiltInTables}) {
        CharsetConverter converter(engine);
        EXPECT_EQ(converter.ConvertCharset(text, Charset::CP1250, Charset::ISO_8859_2), expected);
        EXPECT_EQ(converter.ConvertCharset(expected, Charset::ISO_8859_2, Charset::CP1250), text);
    }
}

TEST(ConvertCharset, kamenickyHasABuiltInTable) {
    // "Žluťoučký kůň" in CP895; iconv does not know the set, so the table serves both engines.
    const QByteArray kamenicky("\x92lu\x9Fou\x87k\x98 k\x96\xA4");
    for (Engine engine : {Engine::ConversionLibrary, Engine::BuiltInTables}) {
        EXPECT_EQ(CharsetConverter(engine).ConvertCharset(kamenicky, Charset::CP895, Charset::CP1250),
                  cp1250(QStringLiteral("Žluťoučký kůň")));
    }
}

TEST(ConvertCharset, multiByteTargetEndsInItsInitialState) {
    // ISO-2022-JP switches to a Japanese set with an escape and must switch back at the end.
    const QByteArray utf8 = QStringLiteral("請求書").toUtf8();
    const QByteArray jis = CharsetConverter().ConvertCharset(utf8, Charset::UTF_8, Charset::ISO_2022_JP);
    EXPECT_TRUE(jis.startsWith("\x1B$B"));
    EXPECT_TRUE(jis.endsWith("\x1B(B"));
    EXPECT_EQ(CharsetConverter().ConvertCharset(jis, Charset::ISO_2022_JP, Charset::UTF_8), utf8);
}

}  // namespace
}  // namespace tervalo::transport
