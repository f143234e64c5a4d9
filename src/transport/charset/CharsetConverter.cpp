#include "transport/charset/CharsetConverter.h"

#include "transport/charset/CharsetTable.h"

#include <QString>

#include <iconv.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <map>
#include <mutex>
#include <optional>

namespace tervalo::transport {

namespace {

// MIME candidates in the order they are tried.
constexpr std::array kMimeCandidates{
    Charset::ISO_8859_1,  Charset::ISO_8859_2,  Charset::ISO_8859_3, Charset::ISO_8859_4,
    Charset::ISO_8859_5,  Charset::ISO_8859_6,  Charset::ISO_8859_7, Charset::ISO_8859_8,
    Charset::ISO_8859_9,  Charset::ISO_8859_10, Charset::KOI8_R,     Charset::KOI8_U,
    Charset::ISO_2022_JP, Charset::EUC_CN,      Charset::EUC_TW,     Charset::EUC_KR,
};

constexpr qsizetype kSampleLength = 1024;

// The descriptors of the conversions used so far, opened once and kept for the life of the
// program: glibc loads and unloads a conversion module with every open and close, which would
// cost more than the conversions themselves. The lock also keeps one descriptor from being used
// by two threads at once.
class IconvDescriptors {
public:
    static IconvDescriptors& instance() {
        static IconvDescriptors descriptors;
        return descriptors;
    }

    // One conversion; empty when iconv does not know the pair. Input that cannot be converted is
    // skipped `skipUnit` bytes at a time, so the conversion always runs to the end of the input.
    std::optional<QByteArray> convert(const QByteArray& input, const QByteArray& to, const QByteArray& from,
                                      int skipUnit) {
        std::lock_guard lock(m_mutex);
        const auto key = std::make_pair(to, from);
        auto found = m_open.find(key);
        if (found == m_open.end()) {
            found = m_open.emplace(key, iconv_open(to.constData(), from.constData())).first;
        }
        iconv_t cd = found->second;
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            return std::nullopt;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state

        QByteArray out(input.size() * 2 + 16, Qt::Uninitialized);
        char* in = const_cast<char*>(input.constData());
        std::size_t inLeft = std::size_t(input.size());
        std::size_t written = 0;
        bool flushing = false;
        for (;;) {
            char* dst = out.data() + written;
            std::size_t outLeft = std::size_t(out.size()) - written;
            // A null input flushes the shift state: ISO-2022-JP must end in ASCII mode.
            std::size_t result = flushing ? iconv(cd, nullptr, nullptr, &dst, &outLeft)
                                          : iconv(cd, &in, &inLeft, &dst, &outLeft);
            const int error = result == std::size_t(-1) ? errno : 0;
            written = std::size_t(out.size()) - outLeft;
            if (error == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            if (flushing) {
                break;
            }
            if (error == EILSEQ && inLeft > 0) {
                const std::size_t skip = std::min(inLeft, std::size_t(skipUnit));
                in += skip;
                inLeft -= skip;
                continue;
            }
            flushing = true;  // all input read, or an incomplete sequence at its end, which is dropped
        }
        out.truncate(qsizetype(written));
        return out;
    }

private:
    ~IconvDescriptors() {
        for (const auto& [names, cd] : m_open) {
            if (cd != reinterpret_cast<iconv_t>(-1)) {
                iconv_close(cd);
            }
        }
    }

    std::mutex m_mutex;
    std::map<std::pair<QByteArray, QByteArray>, iconv_t> m_open;
};

std::optional<QByteArray> iconvConvert(const QByteArray& input, const QByteArray& to, const QByteArray& from,
                                       int skipUnit) {
    return IconvDescriptors::instance().convert(input, to, from, skipUnit);
}

QByteArray iconvName(Charset charset) {
    return QByteArray(charsetInfo(charset).label);
}

QString decodeBuiltIn(const QByteArray& text, Charset source) {
    if (source == Charset::UTF_8) {
        return QString::fromUtf8(text);
    }
    if (const platform::AnsiCodec* codec = builtInCodec(source)) {
        return codec->decode(text);
    }
    return QString::fromLatin1(text);
}

QByteArray encodeBuiltIn(const QString& text, Charset target, CharsetConverter::Purpose purpose) {
    if (target == Charset::UTF_8) {
        return text.toUtf8();
    }
    const platform::AnsiCodec* codec = builtInCodec(target);
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t unit = ch.unicode();
        const int byte = codec ? codec->encodeChar(unit) : (unit < 0x100 ? int(unit) : -1);
        if (byte >= 0) {
            out.append(char(byte));
        } else if (purpose == CharsetConverter::Purpose::Sending) {
            out.append('_');
        }
    }
    return out;
}

QString decode(const QByteArray& text, Charset source, CharsetConverter::Engine engine) {
    if (engine == CharsetConverter::Engine::ConversionLibrary) {
        if (auto ucs2 = iconvConvert(text, "UCS-2BE//IGNORE", iconvName(source), 1)) {
            QString out(ucs2->size() / 2, Qt::Uninitialized);
            for (qsizetype i = 0; i < out.size(); ++i) {
                out[i] = QChar(char16_t((uchar(ucs2->at(2 * i)) << 8) | uchar(ucs2->at(2 * i + 1))));
            }
            return out;
        }
    }
    return decodeBuiltIn(text, source);
}

QByteArray encode(const QString& text, Charset target, CharsetConverter::Engine engine,
                  CharsetConverter::Purpose purpose) {
    if (engine == CharsetConverter::Engine::ConversionLibrary) {
        QByteArray ucs2(text.size() * 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i].unicode();
            ucs2[2 * i] = char(unit >> 8);
            ucs2[2 * i + 1] = char(unit & 0xFF);
        }
        const QByteArray suffix =
            purpose == CharsetConverter::Purpose::Sending ? "//IGNORE//TRANSLIT" : "//IGNORE";
        if (auto out = iconvConvert(ucs2, iconvName(target) + suffix, "UCS-2BE", 2)) {
            return *out;
        }
    }
    return encodeBuiltIn(text, target, purpose);
}

// The first 1024 characters; for UTF-8 text they are counted as characters, not bytes.
QByteArray sampleOf(const QByteArray& text, Charset local) {
    if (local == Charset::UTF_8) {
        return QString::fromUtf8(text).left(kSampleLength).toUtf8();
    }
    return text.left(kSampleLength);
}

}  // namespace

QByteArray CharsetConverter::ConvertCharset(const QByteArray& text, Charset source, Charset target,
                                            Purpose purpose) const {
    if (source == target) {
        return text;
    }
    return encode(decode(text, source, m_engine), target, m_engine, purpose);
}

Charset CharsetConverter::ChooseMimeCharset(const QByteArray& localText, Charset local) const {
    const QByteArray sample = sampleOf(localText, local);
    Charset best = kMimeCandidates.front();
    qsizetype bestKept = -1;
    for (Charset candidate : kMimeCandidates) {
        const QByteArray there = ConvertCharset(sample, local, candidate, Purpose::RoundTrip);
        const QByteArray back = ConvertCharset(there, candidate, local, Purpose::RoundTrip);
        if (back == sample) {
            return candidate;
        }
        if (back.size() > bestKept) {
            best = candidate;
            bestKept = back.size();
        }
    }
    return best;
}

}  // namespace tervalo::transport
