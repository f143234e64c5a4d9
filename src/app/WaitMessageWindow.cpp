#include "app/WaitMessageWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>

namespace tervalo::app {

TfrmWaitMessage::TfrmWaitMessage(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmWaitMessage"));
    setWindowTitle(QStringLiteral("Zpráva"));
    setFixedSize(282, 47);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#frmWaitMessage { border: 1px solid #808080; background: #ffffff; }"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 6);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    m_lblMessage = new QLabel(this);
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    layout->addWidget(icon);
    layout->addWidget(m_lblMessage, 1);
}

void TfrmWaitMessage::setMessage(const QString& text) {
    m_lblMessage->setText(text);
}

void TfrmWaitMessage::showEvent(QShowEvent* event) {
    if (QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}

}  // namespace tervalo::app
