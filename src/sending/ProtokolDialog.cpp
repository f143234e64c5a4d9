#include "sending/ProtokolDialog.h"

#include "platform/Guarded.h"
#include "widgets/MinimizeApplication.h"
#include "widgets/WindowPlacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tervalo::sending {

TfrmProtokol::TfrmProtokol(Protocol& protocol, UserInterface& ui, QWidget* parent)
    : QDialog(parent), m_protocol(protocol), m_ui(ui) {
    setObjectName(QStringLiteral("frmProtokol"));
    setWindowTitle(QStringLiteral("Protokol"));
    app::keepWindowPlacement(this, {520, 400});
    auto* layout = new QVBoxLayout(this);

    auto* header = new QLabel(
        QStringLiteral("Textový protokol odeslaných e-mailových adres (hromadný e-mailing). Obsah můžete "
                       "uložit do souboru klepnutím na malé tlačítko s ikonou diskety."),
        this);
    header->setWordWrap(true);
    header->setStyleSheet(QStringLiteral("background: white; padding: 6px;"));
    layout->addWidget(header);

    m_edtProtokol = new QPlainTextEdit(this);
    m_edtProtokol->setObjectName(QStringLiteral("edtProtokol"));
    m_edtProtokol->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edtProtokol->setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(m_edtProtokol, &QPlainTextEdit::textChanged, this, &TfrmProtokol::textEdited);
    layout->addWidget(m_edtProtokol, 1);

    auto* btnUlozit = new QPushButton(this);
    btnUlozit->setObjectName(QStringLiteral("btnUlozit"));
    btnUlozit->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    btnUlozit->setFixedSize(24, 24);
    btnUlozit->setAutoDefault(false);
    auto* btnZavrit = new QPushButton(QStringLiteral("Zavřít"), this);
    btnZavrit->setObjectName(QStringLiteral("btnZavrit"));
    btnZavrit->setAutoDefault(false);
    connect(btnUlozit, &QPushButton::clicked, this, &TfrmProtokol::save);
    connect(btnZavrit, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnUlozit);
    buttons->addStretch(1);
    buttons->addWidget(btnZavrit);
    layout->addLayout(buttons);
}

// The text area works in LF lines; the protocol keeps CR LF.
void TfrmProtokol::prepareShow() {
    m_filling = true;
    QString shown = m_protocol.text();
    m_edtProtokol->setPlainText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_filling = false;
}

void TfrmProtokol::ShowProtocol() {
    prepareShow();
    exec();
}

void TfrmProtokol::textEdited() {
    if (m_filling) {
        return;
    }
    QString text = m_edtProtokol->toPlainText();
    m_protocol.setText(text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

// A file that cannot be written is reported like any error no operation caught; the text stays.
void TfrmProtokol::save() {
    platform::Guarded(m_ui, [this] { SaveProtocol(m_protocol, m_ui); });
}

void TfrmProtokol::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    app::minimizeApplicationWith(this, event);
}

}  // namespace tervalo::sending
