#pragma once

#include "platform/UserInterface.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tervalo::sending {

// TfrmUpominkaEmailem, "Upomínka e-mailem": the program's own compose window for a reminder sent by
// SMTP. The sender is shown read-only; the addresses, the subject and the body may be edited; the
// files and payment codes the message carries are listed.
class TfrmUpominkaEmailem : public QDialog {
    Q_OBJECT
public:
    explicit TfrmUpominkaEmailem(QWidget* parent = nullptr);

    // Fills the window with `draft`; "Odeslat" closes it only when `accept` takes the draft.
    void prepare(const ReminderDraft& draft, std::function<bool(ReminderDraft&)> accept);
    // The draft as the window holds it.
    ReminderDraft draft() const;

    void accept() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void showDraft(const ReminderDraft& draft);

    std::function<bool(ReminderDraft&)> m_accept;
    ReminderDraft m_prepared;
    QLineEdit* m_edtOdesilatel = nullptr;
    QLineEdit* m_edtKomu = nullptr;
    QLineEdit* m_edtKopie = nullptr;
    QLineEdit* m_edtPredmet = nullptr;
    QPlainTextEdit* m_memText = nullptr;
    QLabel* m_lblPrilohy = nullptr;
    QLabel* m_lblQRPlatby = nullptr;
};

}  // namespace tervalo::sending
