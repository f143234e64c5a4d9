#include "browser/NoteDialog.h"

#include "widgets/EditedPlainText.h"
#include "widgets/MinimizeApplication.h"
#include "widgets/WindowPlacement.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tervalo::browser {

namespace {
QLabel* boldLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}
}  // namespace

TfrmInformace::TfrmInformace(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInformace"));
    setWindowTitle(QStringLiteral("Informace"));
    auto* layout = new QVBoxLayout(this);
    m_lblInfoText = new QLabel(this);
    m_lblInfoText->setObjectName(QStringLiteral("lblInfoText"));
    m_lblInfoText->setWordWrap(true);
    m_lblInfoText->setStyleSheet(QStringLiteral("background: rgb(255, 255, 225); padding: 6px;"));
    layout->addWidget(m_lblInfoText);

    // The key follows the heading directly, in bold.
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(0);
    m_lblPoznNadpis = new QLabel(this);
    m_lblPoznNadpis->setObjectName(QStringLiteral("lblPoznNadpis"));
    m_lblSpojKlic = boldLabel(this, "lblSpojKlic");
    titleLine->addWidget(m_lblPoznNadpis);
    titleLine->addWidget(m_lblSpojKlic);
    titleLine->addStretch(1);
    layout->addLayout(titleLine);

    m_memPoznamka = new QPlainTextEdit(this);
    m_memPoznamka->setObjectName(QStringLiteral("memPoznamka"));
    m_memPoznamka->setTabChangesFocus(true);
    layout->addWidget(m_memPoznamka, 1);

    auto* lastLine = new QHBoxLayout;
    lastLine->setSpacing(0);
    m_lblNadpis1 =
        new QLabel(QStringLiteral("Poslední vygenerovaný e-mail na tuto e-mailovou adresu: "), this);
    m_lblNadpis1->setObjectName(QStringLiteral("lblNadpis1"));
    m_lblNadpis4 = boldLabel(this, "lblNadpis4");
    lastLine->addWidget(m_lblNadpis1);
    lastLine->addWidget(m_lblNadpis4);
    lastLine->addStretch(1);
    layout->addLayout(lastLine);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setAutoDefault(false);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnStorno"));
    cancel->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter starts a new line in the note; Ctrl+Enter confirms.
    for (auto key : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &QDialog::accept);
    }
    layout->addWidget(buttons);
    app::keepWindowPlacement(this, {460, 320});
}

void TfrmInformace::prepare(const NoteDialogRequest& request) {
    m_lblInfoText->setText(request.infoText);
    m_lblPoznNadpis->setText(request.heading);
    m_lblSpojKlic->setText(request.key);
    m_lblNadpis1->setVisible(request.showLastSend);
    m_lblNadpis4->setVisible(request.showLastSend);
    m_lblNadpis4->setText(request.lastSend);
    m_memPoznamka->setPlainText(request.note);
}

QString TfrmInformace::note() const {
    return app::editedPlainText(*m_memPoznamka);
}

void TfrmInformace::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_memPoznamka->setFocus();
}

void TfrmInformace::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    app::minimizeApplicationWith(this, event);
}

}  // namespace tervalo::browser
