#pragma once

#include <QWidget>

class QLabel;

namespace tervalo::app {

// The borderless waiting window: an icon and one line of text, sized to the text and centred over the
// main window (its parent), or on the screen without one. It is not modal and never stays on top of
// other programs.
class TfrmWaitMessage : public QWidget {
    Q_OBJECT
public:
    explicit TfrmWaitMessage(QWidget* parent = nullptr);
    void setMessage(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_lblMessage;
};

}  // namespace tervalo::app
