#include "cli/CliUserInterface.h"

#include <cstdio>

namespace tervalo::cli {

CliUserInterface::CliUserInterface(bool answerYes) : m_answerYes(answerYes), m_err(stderr) {
    m_err.setEncoding(QStringConverter::Utf8);
}

bool CliUserInterface::confirm(const QString& text) {
    line(QStringLiteral("confirmation"), text);
    return m_answerYes;
}

bool CliUserInterface::confirmWith(const QString& text, bool answer) {
    line(QStringLiteral("confirmation"), text);
    return answer;
}

void CliUserInterface::line(const QString& kind, const QString& text) {
    // One line per message: line breaks inside the text are written as blanks.
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_err << kind << QStringLiteral(": ") << flat << Qt::endl;
}

}  // namespace tervalo::cli
