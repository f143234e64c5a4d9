#include "import/LateInterestRates.h"

#include "platform/FileWrite.h"
#include "platform/TextFile.h"

#include <QRegularExpression>

namespace tervalo::import {

QDate HalfYearStart(const QDate& day) {
    return QDate(day.year(), day.month() <= 6 ? 1 : 7, 1);
}

QString HalfYearName(const QDate& start) {
    return QStringLiteral("%1.%2.%3").arg(start.day()).arg(start.month()).arg(start.year());
}

std::optional<int> ParseRate(QStringView text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,3})(?:[.,](\\d{1,2}))?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed().toString());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    QString decimals = match.captured(2);
    decimals = decimals.leftJustified(2, QLatin1Char('0'));
    return match.captured(1).toInt() * 100 + decimals.toInt();
}

QString FormatRate(int hundredths, QChar separator) {
    return QString::number(hundredths / 100) + separator +
           QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

std::vector<HalfYearRate> ParseRates(const QByteArray& bytes) {
    std::vector<HalfYearRate> rows;
    for (const QByteArray& rawLine : bytes.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const QStringList cells = line.split(QLatin1Char(';'));
        if (cells.size() != 3) {
            continue;
        }
        const QDate start = QDate::fromString(cells[0].trimmed(), Qt::ISODate);
        const std::optional<int> repo = ParseRate(cells[1]);
        const std::optional<int> statutory = ParseRate(cells[2]);
        if (!start.isValid() || start != HalfYearStart(start) || !repo || !statutory) {
            continue;
        }
        rows.push_back({start, *repo, *statutory});
    }
    return rows;
}

QByteArray FormatRates(const std::vector<HalfYearRate>& rows) {
    QByteArray bytes = "# first day of the half-year;repo rate;statutory rate (% p.a.)\n";
    for (const HalfYearRate& row : rows) {
        bytes += row.start.toString(Qt::ISODate).toLatin1() + ';' + FormatRate(row.repo).toLatin1() + ';' +
                 FormatRate(row.statutory).toLatin1() + '\n';
    }
    return bytes;
}

LateInterestRates::LateInterestRates(const std::vector<HalfYearRate>& shipped,
                                     const std::vector<HalfYearRate>& user)
    : m_shipped(shipped) {
    for (const auto* rows : {&shipped, &user}) {
        for (const HalfYearRate& row : *rows) {
            m_merged[row.start] = row;
        }
    }
}

LateInterestRates LateInterestRates::load(const QString& appDir) {
    auto read = [&appDir](const QString& name) {
        const std::optional<QByteArray> bytes = platform::TextFile::readBytes(appDir + name);
        return bytes ? ParseRates(*bytes) : std::vector<HalfYearRate>{};
    };
    return LateInterestRates(read(ShippedRatesFile), read(UserRatesFile));
}

std::optional<HalfYearRate> LateInterestRates::forHalfYear(const QDate& start) const {
    const auto found = m_merged.find(start);
    if (found == m_merged.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<HalfYearRate> LateInterestRates::rows() const {
    std::vector<HalfYearRate> rows;
    for (const auto& [start, row] : m_merged) {
        rows.push_back(row);
    }
    return rows;
}

bool SaveUserRates(const QString& appDir, const LateInterestRates& current,
                   const std::vector<HalfYearRate>& edited) {
    std::map<QDate, HalfYearRate> own;
    for (const HalfYearRate& row : edited) {
        own[row.start] = row;
    }
    for (const HalfYearRate& row : current.shipped()) {
        if (auto same = own.find(row.start); same != own.end() && same->second == row) {
            own.erase(same);
        }
    }
    std::vector<HalfYearRate> rows;
    for (const auto& [start, row] : own) {
        rows.push_back(row);
    }
    return platform::FileWrite::replaceDurably(appDir + UserRatesFile, FormatRates(rows));
}

}  // namespace tervalo::import
