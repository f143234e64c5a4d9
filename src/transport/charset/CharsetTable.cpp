#include "transport/charset/CharsetTable.h"

#include <array>
#include <memory>

namespace tervalo::transport {

namespace {

constexpr int kCharsetCount = int(Charset::UTF_8) + 1;

// In the order of the enumeration. ISO 8859-8 is labelled with an underscore, as mail readers
// have long seen it from this program.
constexpr std::array<CharsetInfo, kCharsetCount> kCharsets{{
    {Charset::ISO_8859_1, "ISO-8859-1", 28591},
    {Charset::ISO_8859_2, "ISO-8859-2", 28592},
    {Charset::ISO_8859_3, "ISO-8859-3", 28593},
    {Charset::ISO_8859_4, "ISO-8859-4", 28594},
    {Charset::ISO_8859_5, "ISO-8859-5", 28595},
    {Charset::ISO_8859_6, "ISO-8859-6", 28596},
    {Charset::ISO_8859_7, "ISO-8859-7", 28597},
    {Charset::ISO_8859_8, "ISO_8859-8", 28598},
    {Charset::ISO_8859_9, "ISO-8859-9", 28599},
    {Charset::ISO_8859_10, "ISO-8859-10", 28600},
    {Charset::ISO_8859_13, "ISO-8859-13", 28603},
    {Charset::ISO_8859_14, "ISO-8859-14", 28604},
    {Charset::ISO_8859_15, "ISO-8859-15", 28605},
    {Charset::CP1250, "windows-1250", 1250},
    {Charset::CP1251, "windows-1251", 1251},
    {Charset::CP1252, "windows-1252", 1252},
    {Charset::CP1253, "windows-1253", 1253},
    {Charset::CP1254, "windows-1254", 1254},
    {Charset::CP1255, "windows-1255", 1255},
    {Charset::CP1256, "windows-1256", 1256},
    {Charset::CP1257, "windows-1257", 1257},
    {Charset::CP1258, "windows-1258", 1258},
    {Charset::KOI8_R, "KOI8-R", 20866},
    {Charset::KOI8_U, "KOI8-U", 21866},
    {Charset::CP852, "CP852", 852},
    {Charset::CP895, "CP895", 895},
    {Charset::ISO_2022_JP, "ISO-2022-JP", 0},
    {Charset::EUC_CN, "CN-GB", 0},
    {Charset::EUC_TW, "EUC-TW", 0},
    {Charset::EUC_KR, "EUC-KR", 0},
    {Charset::UTF_8, "UTF-8", 0},
}};

static_assert(
    [] {
        for (int i = 0; i < kCharsetCount; ++i) {
            if (kCharsets[std::size_t(i)].charset != Charset(i)) {
                return false;
            }
        }
        return true;
    }(),
    "kCharsets must follow the order of Charset");

}  // namespace

const CharsetInfo& charsetInfo(Charset charset) {
    return kCharsets[std::size_t(charset)];
}

const platform::AnsiCodec* builtInCodec(Charset charset) {
    // Built once, on first use; the tables are immutable afterwards.
    static const auto codecs = [] {
        std::array<std::unique_ptr<platform::AnsiCodec>, kCharsetCount> all;
        for (const CharsetInfo& info : kCharsets) {
            if (info.codePage != 0) {
                all[std::size_t(info.charset)] = std::make_unique<platform::AnsiCodec>(info.codePage);
            }
        }
        return all;
    }();
    return codecs[std::size_t(charset)].get();
}

}  // namespace tervalo::transport
