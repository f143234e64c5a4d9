#pragma once

#include <QString>

class QPlainTextEdit;

namespace tervalo::app {

// The text of a plain-text edit with every character as it stands and LF between its lines.
// QPlainTextEdit::toPlainText() would turn a non-breaking space into a plain one, so a text that
// merely passed through an edit would come back changed.
QString editedPlainText(const QPlainTextEdit& edit);

}  // namespace tervalo::app
