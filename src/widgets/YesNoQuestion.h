#pragma once

class QString;
class QWidget;

namespace tervalo::app {

// The program's Yes/No question box over `parent`; Esc answers No. True for Yes.
bool askYesNo(QWidget* parent, const QString& text, bool yesIsDefault);

}  // namespace tervalo::app
