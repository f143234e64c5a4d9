#include "sending/ReminderComposeDialog.h"

#include "widgets/MinimizeApplication.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervalo::sending {

namespace {

QLineEdit* lineEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QLabel* listLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString listed(const QStringList& names) {
    return names.isEmpty() ? QStringLiteral("(žádné)") : names.join(QStringLiteral(", "));
}

}  // namespace

TfrmUpominkaEmailem::TfrmUpominkaEmailem(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmUpominkaEmailem"));
    setWindowTitle(QStringLiteral("Upomínka e-mailem"));

    m_edtOdesilatel = lineEdit("edtOdesilatel", this);
    m_edtOdesilatel->setReadOnly(true);
    m_edtKomu = lineEdit("edtKomu", this);
    m_edtKopie = lineEdit("edtKopie", this);
    m_edtPredmet = lineEdit("edtPredmet", this);
    m_memText = new QPlainTextEdit(this);
    m_memText->setObjectName(QStringLiteral("memText"));
    m_memText->setTabChangesFocus(true);
    m_lblPrilohy = listLabel("lblPrilohy", this);
    m_lblQRPlatby = listLabel("lblQRPlatby", this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Od"), m_edtOdesilatel);
    form->addRow(QStringLiteral("Komu"), m_edtKomu);
    form->addRow(QStringLiteral("Kopie"), m_edtKopie);
    form->addRow(QStringLiteral("Předmět"), m_edtPredmet);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_memText, 1);
    auto* attached = new QFormLayout;
    attached->addRow(QStringLiteral("Příloha"), m_lblPrilohy);
    attached->addRow(QStringLiteral("QR platby"), m_lblQRPlatby);
    layout->addLayout(attached);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* send = buttons->addButton(QStringLiteral("Odeslat"), QDialogButtonBox::AcceptRole);
    send->setObjectName(QStringLiteral("btnOdeslat"));
    send->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnStorno"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmUpominkaEmailem::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfrmUpominkaEmailem::reject);
    layout->addWidget(buttons);
    resize(640, 520);
}

void TfrmUpominkaEmailem::prepare(const ReminderDraft& draft, std::function<bool(ReminderDraft&)> accept) {
    m_prepared = draft;
    m_accept = std::move(accept);
    showDraft(draft);
    m_edtKomu->setFocus();
}

void TfrmUpominkaEmailem::showDraft(const ReminderDraft& draft) {
    m_edtOdesilatel->setText(draft.sender);
    m_edtKomu->setText(draft.to);
    m_edtKopie->setText(draft.copy);
    m_edtPredmet->setText(draft.subject);
    m_memText->setPlainText(draft.body);
    m_lblPrilohy->setText(listed(draft.attachments));
    m_lblQRPlatby->setText(listed(draft.paymentCodes));
}

ReminderDraft TfrmUpominkaEmailem::draft() const {
    ReminderDraft draft = m_prepared;
    draft.to = m_edtKomu->text();
    draft.copy = m_edtKopie->text();
    draft.subject = m_edtPredmet->text();
    draft.body = m_memText->toPlainText();
    return draft;
}

// The draft as `m_accept` left it is shown, so trimmed addresses are seen as they will go.
void TfrmUpominkaEmailem::accept() {
    ReminderDraft edited = draft();
    const bool taken = !m_accept || m_accept(edited);
    m_edtKomu->setText(edited.to);
    m_edtKopie->setText(edited.copy);
    if (taken) {
        QDialog::accept();
    }
}

void TfrmUpominkaEmailem::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    app::minimizeApplicationWith(this, event);
}

}  // namespace tervalo::sending
