#include "platform/SystemLocale.h"

#include <QDateTime>
#include <QTimeZone>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace tervalo::platform {

namespace {

struct WindowsLanguage {
    const char* posixPrefix;  // language or language_TERRITORY
    unsigned localeId;
    int codePage;
};

// Languages whose Windows locale has a single-byte ANSI code page. Longer prefixes first.
constexpr std::array<WindowsLanguage, 30> kLanguages{{
    {"en_GB", 0x0809, 1252}, {"en", 0x0409, 1252}, {"cs", 0x0405, 1250},    {"sk", 0x041B, 1250},
    {"pl", 0x0415, 1250},    {"hu", 0x040E, 1250}, {"sl", 0x0424, 1250},    {"hr", 0x041A, 1250},
    {"ro", 0x0418, 1250},    {"sq", 0x041C, 1250}, {"de_AT", 0x0C07, 1252}, {"de", 0x0407, 1252},
    {"fr", 0x040C, 1252},    {"es", 0x0C0A, 1252}, {"it", 0x0410, 1252},    {"nl", 0x0413, 1252},
    {"pt", 0x0816, 1252},    {"da", 0x0406, 1252}, {"sv", 0x041D, 1252},    {"fi", 0x040B, 1252},
    {"nb", 0x0414, 1252},    {"ru", 0x0419, 1251}, {"uk", 0x0422, 1251},    {"bg", 0x0402, 1251},
    {"el", 0x0408, 1253},    {"tr", 0x041F, 1254}, {"he", 0x040D, 1255},    {"ar", 0x0401, 1256},
    {"lt", 0x0427, 1257},    {"lv", 0x0426, 1257},
}};

// QLocale's short formats use two-digit years in places; a Windows short date shows four.
QString withFourDigitYear(QString format) {
    if (!format.contains(QStringLiteral("yyyy"))) {
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    return format;
}

}  // namespace

LocaleSettings SystemLocale::settingsForLocaleName(const QString& posixName) {
    LocaleSettings czech;
    QString name = posixName.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    for (const auto& lang : kLanguages) {
        QString prefix = QString::fromLatin1(lang.posixPrefix);
        bool match = prefix.contains(QLatin1Char('_')) ? name.startsWith(prefix)
                                                       : name.section(QLatin1Char('_'), 0, 0) == prefix;
        if (!match) {
            continue;
        }
        if (lang.localeId == czech.localeId) {
            return czech;
        }
        QLocale locale(name);
        LocaleSettings s;
        s.ansiCodePage = lang.codePage;
        s.localeId = lang.localeId;
        s.languageTag = name;
        s.decimalSeparator = locale.decimalPoint().front();
        s.shortDateFormat = withFourDigitYear(locale.dateFormat(QLocale::ShortFormat));
        s.timeFormat = locale.timeFormat(QLocale::LongFormat).remove(QStringLiteral(" t"));
        return s;
    }
    return czech;
}

SystemLocale SystemLocale::fromEnvironment() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) {
            return SystemLocale(settingsForLocaleName(QString::fromLocal8Bit(value)));
        }
    }
    return SystemLocale();
}

SystemLocale::SystemLocale(LocaleSettings settings)
    : m_settings(std::move(settings)),
      m_locale(m_settings.languageTag),
      m_codec(std::make_shared<AnsiCodec>(m_settings.ansiCodePage)),
      m_collator(std::make_shared<QCollator>(m_locale)) {
    m_collator->setCaseSensitivity(Qt::CaseSensitive);
    m_collator->setNumericMode(false);
}

int SystemLocale::timeZoneBiasMinutes() const {
    if (m_settings.timeZoneBiasMinutes) {
        return *m_settings.timeZoneBiasMinutes;
    }
    return -QDateTime::currentDateTime().offsetFromUtc() / 60;
}

std::optional<QDate> SystemLocale::parseShortDate(QStringView text) const {
    // The order of day, month and year and the separator come from the short date format.
    QString order;
    QChar separator;
    for (QChar ch : m_settings.shortDateFormat) {
        QChar lower = ch.toLower();
        if (lower == QLatin1Char('d') || ch == QLatin1Char('M') || lower == QLatin1Char('y')) {
            QChar key = lower == QLatin1Char('d')   ? QLatin1Char('d')
                        : lower == QLatin1Char('y') ? QLatin1Char('y')
                                                    : QLatin1Char('M');
            if (!order.contains(key)) {
                order.append(key);
            }
        } else if (separator.isNull() && !ch.isSpace()) {
            separator = ch;
        }
    }
    if (order.size() != 3 || separator.isNull()) {
        return std::nullopt;
    }
    QStringView trimmed = text.trimmed();
    auto parts = trimmed.split(separator);
    if (parts.size() == 4 && parts[3].trimmed().isEmpty()) {
        parts.removeLast();  // "1.2.2026." style trailing separator
    }
    if (parts.size() != 3) {
        return std::nullopt;
    }
    int day = 0, month = 0, year = 0;
    for (int i = 0; i < 3; ++i) {
        QStringView part = parts[i].trimmed();
        if (part.isEmpty() || part.size() > 4) {
            return std::nullopt;
        }
        for (QChar ch : part) {
            if (!ch.isDigit() || ch.unicode() > 0x7F) {
                return std::nullopt;
            }
        }
        int value = part.toInt();
        switch (order[i].toLatin1()) {
            case 'd':
                if (part.size() > 2)
                    return std::nullopt;
                day = value;
                break;
            case 'M':
                if (part.size() > 2)
                    return std::nullopt;
                month = value;
                break;
            default:
                if (part.size() == 2 || part.size() == 1) {
                    // Two-digit years: the century that puts the year within 50 years of today.
                    int current = QDate::currentDate().year();
                    int century = current - current % 100;
                    value += century;
                    if (value > current + 50)
                        value -= 100;
                    if (value <= current - 50)
                        value += 100;
                } else if (part.size() != 4) {
                    return std::nullopt;
                }
                year = value;
        }
    }
    QDate date(year, month, day);
    if (!date.isValid()) {
        return std::nullopt;
    }
    return date;
}

QString SystemLocale::formatShortDate(const QDate& date) const {
    return date.toString(m_settings.shortDateFormat);
}

QString SystemLocale::toUpper(const QString& text) const {
    return m_locale.toUpper(text);
}

int SystemLocale::compare(QStringView a, QStringView b) const {
    return m_collator->compare(a, b);
}

namespace {

// Most amounts are short plain decimals ("-1234,50"). With at most 15 digits both the digits and the
// power of ten are exact doubles, so one division rounds correctly, giving what from_chars gives.
// Anything else (exponents, long numbers, odd text) is left to the full parse.
std::optional<double> plainDecimal(QStringView t, QChar decimalSeparator) {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    qsizetype i = 0;
    const bool negative = t[0] == QLatin1Char('-');
    if (negative || t[0] == QLatin1Char('+')) {
        i = 1;
    }
    std::uint64_t mantissa = 0;
    int digits = 0;
    int decimals = -1;  // -1 until the separator
    for (; i < t.size(); ++i) {
        const char16_t ch = t[i].unicode();
        if (ch >= u'0' && ch <= u'9') {
            if (++digits > 15) {
                return std::nullopt;
            }
            mantissa = mantissa * 10 + (ch - u'0');
            decimals += decimals >= 0 ? 1 : 0;
        } else if (ch == decimalSeparator.unicode() && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    double value = double(mantissa);
    if (decimals > 0) {
        value /= kPowersOfTen[decimals];
    }
    return negative ? -value : value;
}

}  // namespace

std::optional<double> parseDecimal(QStringView text, QChar decimalSeparator) {
    QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > 400) {
        return std::nullopt;
    }
    if (auto plain = plainDecimal(t, decimalSeparator)) {
        return plain;
    }
    std::string ascii;
    ascii.reserve(std::size_t(t.size()));
    bool digits = false, seenSeparator = false, seenExponent = false, exponentDigits = false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        QChar ch = t[i];
        bool signPosition =
            i == 0 || (seenExponent && (t[i - 1] == QLatin1Char('e') || t[i - 1] == QLatin1Char('E')));
        if (ch.unicode() >= '0' && ch.unicode() <= '9') {
            (seenExponent ? exponentDigits : digits) = true;
            ascii.push_back(char(ch.unicode()));
        } else if ((ch == QLatin1Char('+') || ch == QLatin1Char('-')) && signPosition) {
            ascii.push_back(char(ch.unicode()));
        } else if (ch == decimalSeparator && !seenSeparator && !seenExponent) {
            seenSeparator = true;
            ascii.push_back('.');
        } else if ((ch == QLatin1Char('e') || ch == QLatin1Char('E')) && digits && !seenExponent) {
            seenExponent = true;
            ascii.push_back('e');
        } else {
            return std::nullopt;
        }
    }
    if (!digits || (seenExponent && !exponentDigits)) {
        return std::nullopt;
    }
    // from_chars, unlike strtod, does not depend on the C library's LC_NUMERIC.
    const char* begin = ascii.data() + (ascii.front() == '+' ? 1 : 0);
    double value = 0;
    auto [end, ec] = std::from_chars(begin, ascii.data() + ascii.size(), value);
    if (ec != std::errc() || end != ascii.data() + ascii.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace tervalo::platform
