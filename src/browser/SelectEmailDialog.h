#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace tervalo::browser {

// The address dialog: a temporary e-mail address for one debtor.
class TfrmSelectEmail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelectEmail(QWidget* parent = nullptr);

    void prepare(const QString& debtorName, const QString& address);
    QString address() const;

    // OK: an empty or blank address, or text that is not a list of valid mailboxes, is refused with
    // a warning and the dialog stays open.
    void accept() override;

protected:
    void changeEvent(QEvent* event) override;

Q_SIGNALS:
    void addressRefused(const QString& warning);

private:
    QLabel* m_lblNazevFirmy;
    QLineEdit* m_edtEmail;
};

}  // namespace tervalo::browser
