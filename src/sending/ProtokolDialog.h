#pragma once

#include "platform/UserInterface.h"
#include "sending/Protocol.h"

#include <QDialog>

class QPlainTextEdit;

namespace tervalo::sending {

// TfrmProtokol, "Protokol": shows the protocol of the bulk runs, lets the user edit it and saves it
// to a text file.
class TfrmProtokol : public QDialog {
    Q_OBJECT
public:
    TfrmProtokol(Protocol& protocol, UserInterface& ui, QWidget* parent = nullptr);

    // Fills the text area from the protocol; then the window can be shown.
    void prepareShow();
    // prepareShow and the modal window.
    void ShowProtocol();

protected:
    void changeEvent(QEvent* event) override;

private:
    void textEdited();
    void save();

    Protocol& m_protocol;
    UserInterface& m_ui;
    QPlainTextEdit* m_edtProtokol = nullptr;
    bool m_filling = false;
};

}  // namespace tervalo::sending
