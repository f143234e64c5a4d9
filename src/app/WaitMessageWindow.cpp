#include "app/WaitMessageWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>

namespace tervalo::app {

// A frameless tool window: with the main window as its parent it stands over that window only and
// goes down with it when another program comes to the front.
TfrmWaitMessage::TfrmWaitMessage(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmWaitMessage"));
    setWindowTitle(QStringLiteral("Zpráva"));
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#frmWaitMessage { border: 1px solid #808080; background: #ffffff; }"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 6, 14, 6);
    layout->setSpacing(10);
    // The window always takes the size its icon and whole text need.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    m_lblMessage = new QLabel(this);
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    m_lblMessage->setMinimumWidth(220);
    layout->addWidget(icon);
    layout->addWidget(m_lblMessage, 1);
}

void TfrmWaitMessage::setMessage(const QString& text) {
    m_lblMessage->setText(text);
    adjustSize();
}

void TfrmWaitMessage::showEvent(QShowEvent* event) {
    adjustSize();
    const QWidget* over = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (over != nullptr && over->isVisible()) {
        move(over->frameGeometry().center() - rect().center());
    } else if (QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}

}  // namespace tervalo::app
