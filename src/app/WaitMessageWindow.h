#pragma once

#include <QWidget>

class QLabel;

namespace tervalo::app {

// The borderless waiting window: an icon and one line of text, centred on the screen.
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
