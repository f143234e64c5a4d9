#include "widgets/YesNoQuestion.h"

#include <QMessageBox>
#include <QPushButton>

namespace tervalo::app {

bool askYesNo(QWidget* parent, const QString& text, bool yesIsDefault) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Potvrzení"), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Ano"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Ne"), QMessageBox::NoRole);
    box.setDefaultButton(yesIsDefault ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace tervalo::app
