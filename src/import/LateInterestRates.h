#pragma once

#include <QDate>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace tervalo::import {

// The rate table shipped in the program folder, and the user's own rows kept beside it.
inline const QString ShippedRatesFile = QStringLiteral("UrokySazby.csv");
inline const QString UserRatesFile = QStringLiteral("UrokySazbyUzivatel.csv");

// The rates of one calendar half-year, in hundredths of a percent per year: the central bank's
// two-week repo rate valid on its first day, and the statutory late-payment rate (repo + 8 points)
// of every delay that begins within it.
struct HalfYearRate {
    QDate start;  // 1 January or 1 July
    int repo = 0;
    int statutory = 0;

    bool operator==(const HalfYearRate&) const = default;
};

// The first day of the calendar half-year the day falls in.
QDate HalfYearStart(const QDate& day);

// "1.7.2026": how the half-year is named to the user.
QString HalfYearName(const QDate& start);

// A rate in hundredths of a percent from "15", "15.00" or "15,00"; nothing for anything else (a
// negative rate, more than two decimals, text).
std::optional<int> ParseRate(QStringView text);
// "15.00": two decimals with the given separator.
QString FormatRate(int hundredths, QChar separator = QLatin1Char('.'));

// Rows "YYYY-MM-DD;repo;statutory", one a line; lines that are empty or start with "#" are
// comments. A line that does not read as a row (or names a day other than 1 January or 1 July) is
// passed over.
std::vector<HalfYearRate> ParseRates(const QByteArray& bytes);
QByteArray FormatRates(const std::vector<HalfYearRate>& rows);

// The shipped rows with the user's rows over them, by half-year.
class LateInterestRates {
public:
    LateInterestRates() = default;
    LateInterestRates(const std::vector<HalfYearRate>& shipped, const std::vector<HalfYearRate>& user);

    // Both files of the program folder (`appDir` ends with "/"); a missing file has no rows.
    static LateInterestRates load(const QString& appDir);

    // The rates of the half-year starting on `start`, when known.
    std::optional<HalfYearRate> forHalfYear(const QDate& start) const;
    // All rows, oldest first.
    std::vector<HalfYearRate> rows() const;
    const std::vector<HalfYearRate>& shipped() const { return m_shipped; }

private:
    std::vector<HalfYearRate> m_shipped;
    std::map<QDate, HalfYearRate> m_merged;
};

// Keeps the rows of `edited` that the shipped table lacks or states otherwise in the user's file
// beside it, replacing that file whole. False when it cannot be written.
bool SaveUserRates(const QString& appDir, const LateInterestRates& current,
                   const std::vector<HalfYearRate>& edited);

}  // namespace tervalo::import
