#include "import/DocumentListLayout.h"

#include <cmath>

namespace tervalo::compose {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString tableLine(const QStringList& texts, const std::vector<qsizetype>& widths,
                  const std::vector<bool>& rightAligned) {
    QString line;
    for (std::size_t column = 0; column < widths.size(); ++column) {
        const QString text = texts.value(qsizetype(column));
        const QString padding(widths[column] - text.size(), QLatin1Char(' '));
        line += rightAligned[column] ? padding + text + QLatin1Char(' ') : text + padding + QLatin1Char(' ');
    }
    return line + kCrLf;
}

}  // namespace

QString LayOutFixedWidthTable(const QStringList& titles, const std::vector<QStringList>& rows,
                              const std::vector<bool>& rightAligned) {
    std::vector<qsizetype> widths(rightAligned.size(), 0);
    auto widen = [&widths](const QStringList& texts) {
        for (std::size_t column = 0; column < widths.size(); ++column) {
            widths[column] = std::max(widths[column], texts.value(qsizetype(column)).size());
        }
    };
    widen(titles);
    for (const QStringList& row : rows) {
        widen(row);
    }
    qsizetype lineLength = 0;
    for (qsizetype width : widths) {
        lineLength += width + 1;
    }

    QString table = tableLine(titles, widths, rightAligned);
    table += QString(lineLength, QLatin1Char(' ')) + kCrLf;
    for (const QStringList& row : rows) {
        table += tableLine(row, widths, rightAligned);
    }
    return table;
}

QString LayOutDocumentTable(const DocumentTableLine& titles,
                            const std::vector<DocumentTableLine>& documents) {
    auto list = [](const DocumentTableLine& line) { return QStringList(line.begin(), line.end()); };
    std::vector<QStringList> rows;
    rows.reserve(documents.size());
    for (const DocumentTableLine& document : documents) {
        rows.push_back(list(document));
    }
    return LayOutFixedWidthTable(list(titles), rows, {false, true, true, true, true, false});
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
