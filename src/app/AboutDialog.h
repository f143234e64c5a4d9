#pragma once

#include "app/AppSession.h"
#include "app/UrlLink.h"

#include <QDialog>
#include <QLabel>

#include <functional>

namespace tervalo::app {

// A label that opens its address when clicked; hovering colours and underlines it.
class TUrlLinkLabel : public QLabel {
    Q_OBJECT
public:
    TUrlLinkLabel(const QString& text, UrlLink link, QWidget* parent = nullptr);
    const UrlLink& link() const { return m_link; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setActive(bool active);
    UrlLink m_link;
};

// The about box: version, support and home page links, help, the licence.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    TfrmAbout(const AppSession& session, std::function<void(const QString&)> showHelpTopic,
              QWidget* parent = nullptr);
};

}  // namespace tervalo::app
