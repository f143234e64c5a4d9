#pragma once

#include "platform/UserInterface.h"
#include "sending/TestEmailAddress.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QSpinBox;

namespace tervalo::sending {

// TfrmTestEmail, "Testovací režim": the address every test reminder goes to and how many debtors a
// test run visits. Made once, so both values stay from one opening to the next; neither is saved.
class TfrmTestEmail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTestEmail(UserInterface& ui, QWidget* parent = nullptr);

    // Shows the dialog modally; the test run's values when the user confirmed them.
    std::optional<TestMode> askTestMode();
    // The values as they stand, for a dialog a test opened without the modal loop.
    TestMode testMode() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void provest();

    UserInterface& m_ui;
    QLineEdit* m_edtEmail = nullptr;
    QSpinBox* m_edtPocet = nullptr;
};

}  // namespace tervalo::sending
