#include "widgets/EditedPlainText.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace tervalo::app {

QString editedPlainText(const QPlainTextEdit& edit) {
    QString text = edit.document()->toRawText();
    for (QChar& ch : text) {
        if (ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator) {
            ch = QLatin1Char('\n');
        }
    }
    return text;
}

}  // namespace tervalo::app
