#include "browser/SelectEmailDialog.h"

#include "transport/mime/AddressText.h"
#include "widgets/MinimizeApplication.h"
#include "widgets/WindowPlacement.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervalo::browser {

TfrmSelectEmail::TfrmSelectEmail(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSelectEmail"));
    setWindowTitle(QStringLiteral("E-mailová adresa"));
    auto* layout = new QVBoxLayout(this);
    auto* header = new QLabel(
        QStringLiteral(
            "Zadejte platnou e-mailovou adresu. <span style=\"color:red\">Upozornění:</span> tato změna "
            "je pouze dočasná - chcete-li přiřadit e-mail k adrese natrvalo, musíte tak učinit přímo v "
            "adresáři firem v Ekvan!"),
        this);
    header->setWordWrap(true);
    header->setTextFormat(Qt::RichText);
    layout->addWidget(header);
    auto* form = new QFormLayout;
    m_lblNazevFirmy = new QLabel(this);
    m_lblNazevFirmy->setObjectName(QStringLiteral("lblNazevFirmy"));
    QFont bold = m_lblNazevFirmy->font();
    bold.setBold(true);
    m_lblNazevFirmy->setFont(bold);
    m_edtEmail = new QLineEdit(this);
    m_edtEmail->setObjectName(QStringLiteral("edtEmail"));
    form->addRow(QStringLiteral("Název firmy"), m_lblNazevFirmy);
    form->addRow(QStringLiteral("E-mailová adresa"), m_edtEmail);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnStorno"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmSelectEmail::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfrmSelectEmail::reject);
    layout->addWidget(buttons);
    app::keepWindowPlacement(this, {420, 0});
}

void TfrmSelectEmail::prepare(const QString& debtorName, const QString& address) {
    m_lblNazevFirmy->setText(debtorName);
    m_edtEmail->setText(address);
    m_edtEmail->setFocus();
}

QString TfrmSelectEmail::address() const {
    return m_edtEmail->text();
}

void TfrmSelectEmail::accept() {
    m_edtEmail->setText(m_edtEmail->text().trimmed());
    if (m_edtEmail->text().isEmpty()) {
        Q_EMIT addressRefused(QStringLiteral("Musíte zadat e-mailovou adresu."));
        return;
    }
    if (const auto warning = transport::invalidAddressWarning(m_edtEmail->text())) {
        Q_EMIT addressRefused(*warning);
        return;
    }
    QDialog::accept();
}

void TfrmSelectEmail::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    app::minimizeApplicationWith(this, event);
}

}  // namespace tervalo::browser
