#include "report/PageHeaderTags.h"

#include "report/ReportError.h"

#include <QRegularExpression>

namespace tervalo::report {

namespace {

constexpr int MaxHeaderChars = 255;

// XLUnicodeString: cch (u16), fHighByte (u8), then the characters (Latin-1 or UTF-16LE).
std::optional<QString> readHeader(const QByteArray& data) {
    if (data.size() < 3) {
        return std::nullopt;  // an empty HEADER or FOOTER record: no text
    }
    const int count = uchar(data[0]) | (uchar(data[1]) << 8);
    const bool wide = (uchar(data[2]) & 0x01) != 0;
    if (data.size() < 3 + count * (wide ? 2 : 1)) {
        return std::nullopt;
    }
    if (!wide) {
        return QString::fromLatin1(data.constData() + 3, count);
    }
    QString text(count, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        text[i] = QChar(ushort(uchar(data[3 + 2 * i]) | (uchar(data[4 + 2 * i]) << 8)));
    }
    return text;
}

QByteArray writeHeader(const QString& text) {
    QByteArray data;
    data.append(char(text.size() & 0xFF)).append(char(text.size() >> 8)).append(char(0x01));
    for (const QChar c : text) {
        data.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    }
    return data;
}

}  // namespace

QString headerText(const ReportValue& value) {
    if (const auto* text = std::get_if<QString>(&value)) {
        return *text;
    }
    if (const auto* number = std::get_if<double>(&value)) {
        return QString::number(*number, 'g', 15);
    }
    if (const auto* date = std::get_if<QDate>(&value)) {
        return date->toString(QStringLiteral("d.M.yyyy"));
    }
    if (const auto* moment = std::get_if<QDateTime>(&value)) {
        return moment->toString(QStringLiteral("d.M.yyyy H:mm"));
    }
    if (const auto* truth = std::get_if<bool>(&value)) {
        return *truth ? QStringLiteral("ano") : QStringLiteral("ne");
    }
    return {};
}

void fillPageHeaderTags(std::vector<BiffRecord>& records, const ReportDataSource& source) {
    static const QRegularExpression tag(QStringLiteral("#\\.([A-Za-z_][A-Za-z0-9_]*)"));
    for (BiffRecord& record : records) {
        if (record.id != rid::Header && record.id != rid::Footer) {
            continue;
        }
        const std::optional<QString> text = readHeader(record.data);
        if (!text || !text->contains(QStringLiteral("#."))) {
            continue;
        }
        QString filled;
        qsizetype done = 0;
        for (auto it = tag.globalMatch(*text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            const std::optional<ReportValue> value = source.property(match.captured(1), {});
            if (!value) {
                throw ReportError(QStringLiteral("Property \"%1\" has not been defined or is not published")
                                      .arg(match.captured(1)));
            }
            filled += text->mid(done, match.capturedStart() - done);
            filled += headerText(*value).replace(QLatin1Char('&'), QStringLiteral("&&"));
            done = match.capturedEnd();
        }
        filled += text->mid(done);
        record.data = writeHeader(filled.left(MaxHeaderChars));
        record.continueAt.clear();
    }
}

}  // namespace tervalo::report
