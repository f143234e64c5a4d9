#include "sending/TestEmailDialog.h"

#include "sending/WrappedLabel.h"
#include "widgets/MinimizeApplication.h"
#include "widgets/WindowPlacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace tervalo::sending {

TfrmTestEmail::TfrmTestEmail(UserInterface& ui, QWidget* parent) : QDialog(parent), m_ui(ui) {
    setObjectName(QStringLiteral("frmTestEmail"));
    setWindowTitle(QStringLiteral("Testovací režim"));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setMinimumWidth(420);
    app::keepWindowPlacement(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(wrappedLabel(
        QStringLiteral(
            "Testovací režim Vám pomůže odladit nastavení ještě před odesláním na skutečné "
            "e-mailové adresy dlužníků. Test se od \"ostrého\" způsobu provedení liší v těchto bodech:"),
        this));
    layout->addWidget(wrappedLabel(
        QStringLiteral(
            "1. všechny testovací e-maily program odešle na jednu společnou adresu, kterou zadáte do "
            "políčka níže (v \"ostrém\" režimu program rozesílá zprávy na e-mailové adresy dlužníků)"),
        this));
    layout->addWidget(wrappedLabel(
        QStringLiteral(
            "2. můžete nastavit, kolik testovacích zpráv program odešle (doporučujeme minimálně 3, "
            "maximálně 10). V testovacím režimu program odesílá i firmy vyřazené uživatelem z "
            "e-mailingu."),
        this));
    layout->addWidget(wrappedLabel(
        QStringLiteral("Zadejte prosím e-mailovou adresu, na kterou program odešle testovací zprávy - "
                       "doporučujeme zadat Vaši vlastní adresu (v testovacím režimu si e-mail pošlete sami "
                       "sobě):"),
        this));

    auto* addressLine = new QHBoxLayout;
    addressLine->addWidget(new QLabel(QStringLiteral("Adresa"), this));
    m_edtEmail = new QLineEdit(this);
    m_edtEmail->setObjectName(QStringLiteral("edtEmail"));
    addressLine->addWidget(m_edtEmail, 1);
    layout->addLayout(addressLine);

    auto* countLine = new QHBoxLayout;
    countLine->addWidget(new QLabel(QStringLiteral("Odeslat jen prvních"), this));
    m_edtPocet = new QSpinBox(this);
    m_edtPocet->setObjectName(QStringLiteral("edtPocet"));
    m_edtPocet->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    m_edtPocet->setValue(5);
    countLine->addWidget(m_edtPocet);
    countLine->addWidget(new QLabel(QStringLiteral("e-mailů"), this));
    countLine->addStretch(1);
    layout->addLayout(countLine);

    layout->addWidget(wrappedLabel(
        QStringLiteral(
            "Klepněte na tlačítko Provést. V případě, že nastane problém s odesláním nebo testovací "
            "zprávy nebudou doručeny (příjem nových zpráv pochopitelně zkontrolujte až po určité "
            "době), upravte parametry odesílání (tlačítko Nastavení v předchozím okně)."),
        this));

    auto* btnProvest = new QPushButton(QStringLiteral("Provést"), this);
    btnProvest->setObjectName(QStringLiteral("btnProvest"));
    btnProvest->setDefault(true);
    auto* btnZpet = new QPushButton(QStringLiteral("Zpět"), this);
    btnZpet->setObjectName(QStringLiteral("btnZpet"));
    btnZpet->setAutoDefault(false);
    connect(btnProvest, &QPushButton::clicked, this, &TfrmTestEmail::provest);
    connect(btnZpet, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnProvest);
    buttons->addWidget(btnZpet);
    layout->addLayout(buttons);
}

std::optional<TestMode> TfrmTestEmail::askTestMode() {
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return testMode();
}

TestMode TfrmTestEmail::testMode() const {
    return {m_edtEmail->text(), m_edtPocet->cleanText(), m_edtPocet->value()};
}

void TfrmTestEmail::provest() {
    QString address = m_edtEmail->text();
    const bool accepted = AcceptTestAddress(address, m_ui);
    m_edtEmail->setText(address);
    if (accepted) {
        accept();
    }
}

void TfrmTestEmail::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    app::minimizeApplicationWith(this, event);
}

}  // namespace tervalo::sending
