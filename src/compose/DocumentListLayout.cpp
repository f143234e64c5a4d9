#include "compose/DocumentListLayout.h"

#include <cmath>

namespace tervalo::compose {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

constexpr std::array<bool, 6> kRightAligned = {false, true, true, true, true, false};

QString tableLine(const DocumentTableLine& texts, const std::array<qsizetype, 6>& widths) {
    QString line;
    for (std::size_t column = 0; column < texts.size(); ++column) {
        const QString& text = texts[column];
        const QString padding(widths[column] - text.size(), QLatin1Char(' '));
        line += kRightAligned[column] ? padding + text + QLatin1Char(' ') : text + padding + QLatin1Char(' ');
    }
    return line + kCrLf;
}

}  // namespace

QString LayOutDocumentTable(const DocumentTableLine& titles,
                            const std::vector<DocumentTableLine>& documents) {
    std::array<qsizetype, 6> widths{};
    auto widen = [&widths](const DocumentTableLine& texts) {
        for (std::size_t column = 0; column < texts.size(); ++column) {
            widths[column] = std::max(widths[column], texts[column].size());
        }
    };
    widen(titles);
    for (const DocumentTableLine& document : documents) {
        widen(document);
    }
    qsizetype lineLength = 0;
    for (qsizetype width : widths) {
        lineLength += width + 1;
    }

    QString table = tableLine(titles, widths);
    table += QString(lineLength, QLatin1Char(' ')) + kCrLf;
    for (const DocumentTableLine& document : documents) {
        table += tableLine(document, widths);
    }
    return table;
}

QString AddDocumentListHeading(const QString& heading, const QString& table) {
    const QString rule(heading.size(), QLatin1Char('='));
    return rule + kCrLf + heading + kCrLf + rule + kCrLf + kCrLf + table;
}

QString FormatDocumentAmount(double value, QChar decimalSeparator) {
    if (!std::isfinite(value)) {
        value = 0;
    }
    QString text = QString::number(value, 'f', 2);
    // A value that rounds to zero is written without a sign.
    if (text == QStringLiteral("-0.00")) {
        text.remove(0, 1);
    }
    return text.replace(QLatin1Char('.'), decimalSeparator);
}

}  // namespace tervalo::compose
