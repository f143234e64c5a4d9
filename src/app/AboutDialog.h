#pragma once

#include "app/AppSession.h"
#include "app/UrlLink.h"

#include <QDialog>
#include <QLabel>

#include <functional>

namespace tervalo::app {

// A label that opens its address when clicked. With DetectMouse on, the mouse entering colours it
// ActiveColor (underlined when UnderlineOnEnter) and leaving gives InactiveColor; with it off the text
// stays underlined. With ShowUrlHint on, the hint is the full address.
class TUrlLinkLabel : public QLabel {
    Q_OBJECT
public:
    TUrlLinkLabel(const QString& text, UrlLink link, QWidget* parent = nullptr);
    const UrlLink& link() const { return m_link; }
    void setLink(UrlLink link);

    void setShowUrlHint(bool on);
    void setDetectMouse(bool on);
    void setUnderlineOnEnter(bool on) { m_underlineOnEnter = on; }
    void setActiveColor(const QColor& color) { m_activeColor = color; }
    void setInactiveColor(const QColor& color);

Q_SIGNALS:
    void mouseEntered();
    void mouseLeft();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintAs(const QColor& color, bool underline);
    void refreshHint();

    UrlLink m_link;
    bool m_showUrlHint = true;
    bool m_detectMouse = true;
    bool m_underlineOnEnter = true;
    QColor m_activeColor = Qt::blue;
    QColor m_inactiveColor = QColor(0, 0, 128);
};

// The about box: version, support and home page links, help, the licence.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    TfrmAbout(const AppSession& session, std::function<void(const QString&)> showHelpTopic,
              std::function<void()> showProtocol, QWidget* parent = nullptr);
};

}  // namespace tervalo::app
