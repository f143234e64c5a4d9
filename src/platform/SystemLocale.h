#pragma once

#include "platform/AnsiCodec.h"

#include <QChar>
#include <QCollator>
#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace tervalo::platform {

// What the desktop's regional settings would give a Windows program: everything locale-dependent
// that the program needs goes through here. Nothing else reads the environment for it.
struct LocaleSettings {
    int ansiCodePage = 1250;
    unsigned localeId = 0x0405;                     // Windows locale identifier (LCID), Czech by default
    QString languageTag = QStringLiteral("cs_CZ");  // for QLocale and QCollator
    QChar decimalSeparator = QLatin1Char(',');
    QString shortDateFormat = QStringLiteral("d.M.yyyy");  // QDate format string
    QString timeFormat = QStringLiteral("H:mm:ss");
    // Minutes to add to local time to get UTC (Windows convention: CET gives -60). Empty: read from
    // the system's time zone at the moment of the question.
    std::optional<int> timeZoneBiasMinutes;
};

class SystemLocale {
public:
    explicit SystemLocale(LocaleSettings settings = {});

    // Derived from the Linux locale (LC_ALL, LC_MESSAGES... LANG) where it names a language with a
    // Windows code page; Czech otherwise.
    static SystemLocale fromEnvironment();
    static LocaleSettings settingsForLocaleName(const QString& posixName);

    const LocaleSettings& settings() const { return m_settings; }
    int ansiCodePage() const { return m_settings.ansiCodePage; }
    unsigned localeId() const { return m_settings.localeId; }
    QChar decimalSeparator() const { return m_settings.decimalSeparator; }
    QString shortDateFormat() const { return m_settings.shortDateFormat; }
    QString timeFormat() const { return m_settings.timeFormat; }
    int timeZoneBiasMinutes() const;

    const AnsiCodec& codec() const { return *m_codec; }

    // Short-date text in the locale's order and separator; days and months take one or two digits,
    // years four or two (two-digit years fall into the 50 years around today).
    std::optional<QDate> parseShortDate(QStringView text) const;
    QString formatShortDate(const QDate& date) const;

    QString toUpper(const QString& text) const;
    // Collation of the locale with letter case significant: <0, 0, >0.
    int compare(QStringView a, QStringView b) const;
    const QCollator& collator() const { return *m_collator; }

private:
    LocaleSettings m_settings;
    QLocale m_locale;
    std::shared_ptr<const AnsiCodec> m_codec;
    std::shared_ptr<QCollator> m_collator;
};

// A decimal number with optional sign and exponent, written with the given decimal separator and
// without thousands separators; blanks around it are allowed. Empty on anything else.
std::optional<double> parseDecimal(QStringView text, QChar decimalSeparator);

}  // namespace tervalo::platform
