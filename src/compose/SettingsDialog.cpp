#include "compose/SettingsDialog.h"

#include "compose/EmailKlientModel.h"
#include "compose/LateInterestTab.h"
#include "compose/LevelSettingsTab.h"
#include "compose/MailRoutesNote.h"
#include "compose/SmtpTestEmail.h"
#include "payment/QrAccount.h"
#include "widgets/EditedPlainText.h"
#include "widgets/MinimizeApplication.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <climits>

namespace tervalo::compose {

namespace {

const QString kHeaderText = QStringLiteral(
    "V tomto okně můžete definovat předmět a text e-mailu, který bude vygenerován na e-mailovou adresu "
    "dlužníka a také způsob, jakým se e-mail bude odesílat. Chcete-li, aby vám každý e-mail směrem k "
    "dlužníkovi přišel v kopii, zadejte do kolonky \"Kopii zaslat na e-mail\" vaši e-mailovou adresu.");

const QStringList kVariableLines = {
    QStringLiteral(" Uvnitř textu je možné používat následující proměnné:"),
    QString(),
    QStringLiteral(" %DODAVATEL% - název Vaší firmy"),
    QStringLiteral(" %ODBERATEL% - název odběratele (dlužníka)"),
    QStringLiteral(" %DATUM% - datum (stav neuhrazených dokladů ke dni)"),
};

QLabel* shadedNote(const QString& name, const QString& text, QWidget* parent) {
    auto* note = new QLabel(text, parent);
    note->setObjectName(name);
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    note->setStyleSheet(QStringLiteral("background: rgb(224, 224, 224); padding: 4px;"));
    return note;
}

QLineEdit* lineEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// The body text is kept with CR LF line breaks; the edit works with LF.
QString bodyForEdit(const QString& body) {
    QString text = body;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

TfrmNastaveni::TfrmNastaveni(app::AppSettings& settings, EmailKlientTable& mtEmailKlient, UserInterface& ui,
                             const platform::SystemLocale& locale, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_mtEmailKlient(mtEmailKlient), m_ui(ui), m_locale(locale) {
    setObjectName(QStringLiteral("frmNastaveni"));
    setWindowTitle(QStringLiteral("Nastavení"));
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    setModal(true);

    auto* header = new QLabel(kHeaderText, this);
    header->setObjectName(QStringLiteral("lblInfo"));
    header->setWordWrap(true);
    header->setStyleSheet(QStringLiteral("background: white; padding: 8px;"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("pcNastaveni"));
    m_tabs->addTab(createMessageTab(), QStringLiteral("Poštovní zpráva"));
    m_tabs->addTab(createDocumentListTab(), QStringLiteral("Seznam neuhr. dokladů"));
    m_tabs->addTab(createSendingTab(), QStringLiteral("Odesílání e-mailu"));
    m_tabs->addTab(createQrPlatbaTab(), QStringLiteral("QR platba"));
    m_tabUroky = new LateInterestTab(m_locale, m_tabs);
    m_tabs->addTab(m_tabUroky, QStringLiteral("Úroky z prodlení"));
    m_tsUrovne = new LevelSettingsTab(m_tabs);
    m_tabs->addTab(m_tsUrovne, QStringLiteral("Úrovně upomínek"));

    auto* btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    auto* btnStorno = new QPushButton(QStringLiteral("Storno"), this);
    btnStorno->setObjectName(QStringLiteral("btnStorno"));
    connect(btnOk, &QPushButton::clicked, this, &TfrmNastaveni::okClicked);
    connect(btnStorno, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnStorno);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    app::keepWindowPlacement(this, {780, 600});
}

TfrmNastaveni::~TfrmNastaveni() = default;

QWidget* TfrmNastaveni::createMessageTab() {
    auto* page = new QWidget(m_tabs);
    auto* form = new QFormLayout;
    m_edtPredmet = lineEdit("edtPredmet", page);
    m_edtKopieEmailu = lineEdit("edtKopieEmailu", page);
    m_edtText = new QPlainTextEdit(page);
    m_edtText->setObjectName(QStringLiteral("edtText"));
    m_edtText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edtText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_edtText->setPlainText(bodyForEdit(m_settings.EText));
    connect(m_edtText, &QPlainTextEdit::textChanged, this,
            [this] { m_settings.EText = app::withCrLfLineBreaks(app::editedPlainText(*m_edtText)); });
    m_chckPripojitPrilohu =
        new QCheckBox(QStringLiteral("Připojit seznam neuhr. dokladů jako textovou přílohu"), page);
    m_chckPripojitPrilohu->setObjectName(QStringLiteral("chckPripojitPrilohu"));
    form->addRow(QStringLiteral("Předmět e-mailu"), m_edtPredmet);
    form->addRow(QStringLiteral("Kopii zaslat na e-mail"), m_edtKopieEmailu);
    form->addRow(QStringLiteral("Text e-mailu"), m_edtText);
    form->addRow(QString(), m_chckPripojitPrilohu);

    QStringList note = kVariableLines;
    note << QStringLiteral(
        " %DOKLADY% - seznam neuhr. dokladů (proměnnou použijte pouze pokud nepřipojujete přílohu)");
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form, 1);
    layout->addWidget(shadedNote(QStringLiteral("lblPromenne"), note.join(QLatin1Char('\n')), page));
    return page;
}

QWidget* TfrmNastaveni::createDocumentListTab() {
    auto* page = new QWidget(m_tabs);
    auto* form = new QFormLayout;
    m_edtHlavicka = lineEdit("edtHlavicka", page);
    m_edtCisloDokl = lineEdit("edtCisloDokl", page);
    m_edtvystaveno = lineEdit("edtvystaveno", page);
    m_edtSplatno = lineEdit("edtSplatno", page);
    m_edtCenaCelk = lineEdit("edtCenaCelk", page);
    m_edtZbyvauhr = lineEdit("edtZbyvauhr", page);
    m_edtMena = lineEdit("edtMena", page);
    form->addRow(QStringLiteral("Nadpis"), m_edtHlavicka);
    form->addRow(QStringLiteral("Číslo dokladu"), m_edtCisloDokl);
    form->addRow(QStringLiteral("Vystaveno"), m_edtvystaveno);
    form->addRow(QStringLiteral("Splatno"), m_edtSplatno);
    form->addRow(QStringLiteral("Cena celkem"), m_edtCenaCelk);
    form->addRow(QStringLiteral("Zbývá uhradit"), m_edtZbyvauhr);
    form->addRow(QStringLiteral("Měna"), m_edtMena);

    QStringList note = {
        QStringLiteral(" Výše uvedené kolonky představují názvy sloupců v seznamu neuhr. "
                       "dokladů, který bude připojen k e-mailu.")};
    note << kVariableLines;
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addWidget(shadedNote(QStringLiteral("lblSloupce"), note.join(QLatin1Char('\n')), page));
    return page;
}

QWidget* TfrmNastaveni::createQrPlatbaTab() {
    auto* page = new QWidget(m_tabs);
    m_chckQRPlatba = new QCheckBox(QStringLiteral("Připojit k upomínce QR platbu"), page);
    m_chckQRPlatba->setObjectName(QStringLiteral("chckQRPlatba"));
    m_edtQRUcet = lineEdit("edtQRUcet", page);
    m_edtQRUcet->setPlaceholderText(QStringLiteral("předčíslí-číslo/kód banky nebo IBAN"));
    m_edtQRIban = lineEdit("edtQRIban", page);
    m_edtQRIban->setReadOnly(true);
    m_edtQRBic = lineEdit("edtQRBic", page);
    m_edtQRZprava = lineEdit("edtQRZprava", page);
    m_cbQRRezim = new QComboBox(page);
    m_cbQRRezim->setObjectName(QStringLiteral("cbQRRezim"));
    // In the order of QRRezim's values.
    m_cbQRRezim->addItems({QStringLiteral("jeden kód za každý doklad"),
                           QStringLiteral("jeden kód za celkovou částku v každé měně")});
    m_edtQRUctyMeny = lineEdit("edtQRUctyMeny", page);
    m_edtQRUctyMeny->setPlaceholderText(QStringLiteral("EUR=CZ...;USD=CZ..."));
    connect(m_edtQRUcet, &QLineEdit::textChanged, this, &TfrmNastaveni::showIban);

    auto* form = new QFormLayout;
    form->addRow(m_chckQRPlatba);
    form->addRow(QStringLiteral("Číslo účtu"), m_edtQRUcet);
    form->addRow(QStringLiteral("IBAN"), m_edtQRIban);
    form->addRow(QStringLiteral("BIC"), m_edtQRBic);
    form->addRow(QStringLiteral("Zpráva pro příjemce"), m_edtQRZprava);
    form->addRow(QStringLiteral("Kódy"), m_cbQRRezim);
    form->addRow(QStringLiteral("Účty pro další měny"), m_edtQRUctyMeny);

    QStringList note = {
        QStringLiteral(
            " QR platbu přečte bankovní aplikace dlužníka: zaplatí na správný účet správnou částku "
            "s variabilním symbolem dokladu. Účet v měně CZK zadejte ve tvaru "
            "předčíslí-číslo/kód banky nebo jako IBAN; účty pro další měny jako MĚNA=IBAN "
            "oddělené středníkem. Zpráva pro příjemce má nejvýše 60 znaků."),
        QStringLiteral(" V textu e-mailu proměnná %QRPLATBA% uvede údaje k platbě i slovy."), QString(),
        QStringLiteral(" Ve zprávě pro příjemce je možné používat proměnné %DOKLADY% (čísla placených "
                       "dokladů), %DODAVATEL%, %ODBERATEL% a %DATUM%.")};
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addWidget(shadedNote(QStringLiteral("lblQRPlatba"), note.join(QLatin1Char('\n')), page));
    return page;
}

void TfrmNastaveni::showIban() {
    const QrAccount account = ParseQrAccount(m_edtQRUcet->text());
    m_edtQRIban->setText(account.valid() ? account.iban : QString());
}

QWidget* TfrmNastaveni::createSendingTab() {
    auto* page = new QWidget(m_tabs);
    auto* group = new QGroupBox(QStringLiteral("Hromadný e-mailing"), page);
    group->setObjectName(QStringLiteral("gbHromadnyEmailing"));

    m_rbVychozKlient = new QRadioButton(QStringLiteral("pomocí poštovního klienta"), group);
    m_rbVychozKlient->setObjectName(QStringLiteral("rbVychozKlient"));
    m_rbSMTP = new QRadioButton(QStringLiteral("pomocí SMTP serveru"), group);
    m_rbSMTP->setObjectName(QStringLiteral("rbSMTP"));
    auto* sendWay = new QButtonGroup(this);
    sendWay->addButton(m_rbVychozKlient);
    sendWay->addButton(m_rbSMTP);

    auto* clientGroup = new QGroupBox(group);
    clientGroup->setObjectName(QStringLiteral("gbKlient"));
    m_rbAutomaticRadioBtn = new QRadioButton(QStringLiteral("vybrat automaticky"), clientGroup);
    m_rbAutomaticRadioBtn->setObjectName(QStringLiteral("rbAutomaticRadioBtn"));
    m_rbMapiRadioBtn =
        new QRadioButton(QStringLiteral("použít výchozí (podle pracovní plochy)"), clientGroup);
    m_rbMapiRadioBtn->setObjectName(QStringLiteral("rbMapiRadioBtn"));
    m_rbDirectRadioBtn = new QRadioButton(QStringLiteral("použít vybraný"), clientGroup);
    m_rbDirectRadioBtn->setObjectName(QStringLiteral("rbDirectRadioBtn"));
    auto* clientWay = new QButtonGroup(this);
    clientWay->addButton(m_rbAutomaticRadioBtn);
    clientWay->addButton(m_rbMapiRadioBtn);
    clientWay->addButton(m_rbDirectRadioBtn);

    m_clientModel = new EmailKlientModel(m_mtEmailKlient, this);
    m_grEmailKlient = new QTableView(clientGroup);
    m_grEmailKlient->setObjectName(QStringLiteral("grEmailKlient"));
    m_grEmailKlient->setModel(m_clientModel);
    m_grEmailKlient->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grEmailKlient->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grEmailKlient->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grEmailKlient->horizontalHeader()->setStretchLastSection(true);
    m_grEmailKlient->verticalHeader()->hide();
    // The grid's cursor is the table's current row.
    connect(m_grEmailKlient->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    m_mtEmailKlient.current = current.row();
                }
            });

    auto* clientLayout = new QVBoxLayout(clientGroup);
    clientLayout->addWidget(m_rbAutomaticRadioBtn);
    clientLayout->addWidget(m_rbMapiRadioBtn);
    clientLayout->addWidget(m_rbDirectRadioBtn);
    clientLayout->addWidget(m_grEmailKlient, 1);

    m_edtHost = lineEdit("edtHost", group);
    m_edtPort = new QSpinBox(group);
    m_edtPort->setObjectName(QStringLiteral("edtPort"));
    // Any stored number is shown as it is: the port is not checked.
    m_edtPort->setRange(INT_MIN, INT_MAX);
    m_chckAuth = new QCheckBox(QStringLiteral("požaduje ověření"), group);
    m_chckAuth->setObjectName(QStringLiteral("chckAuth"));
    m_edtJmenoOdes = lineEdit("edtJmenoOdes", group);
    m_edtUserID = lineEdit("edtUserID", group);
    m_edtAdresaOdes = lineEdit("edtAdresaOdes", group);
    m_edtUserPass = lineEdit("edtUserPass", group);
    m_edtUserPass->setEchoMode(QLineEdit::Password);
    m_edtUserPass->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*"
    // In the order of SMTPSecurity's values.
    m_cbZabezpeceni = new QComboBox(group);
    m_cbZabezpeceni->setObjectName(QStringLiteral("cbZabezpeceni"));
    m_cbZabezpeceni->addItems({QStringLiteral("žádné (nešifrované spojení)"),
                               QStringLiteral("STARTTLS (obvykle port 587)"),
                               QStringLiteral("TLS od začátku spojení (obvykle port 465)")});
    // LOGIN and PLAIN without encryption: one row with its warning, the rest in the tooltip.
    m_chckPlainAuth = new QCheckBox(QStringLiteral("povolit (přečte ho kdokoli na cestě k serveru)"), group);
    m_chckPlainAuth->setObjectName(QStringLiteral("chckPlainAuth"));
    m_chckPlainAuth->setToolTip(
        QStringLiteral("Bez šifrování se heslo posílá způsobem LOGIN nebo PLAIN tak, že si ho může přečíst "
                       "kdokoli na cestě k serveru. Povolte jen u důvěryhodného serveru v místní síti."));
    m_edtCAFile = lineEdit("edtCAFile", group);
    m_edtCAFile->setPlaceholderText(QStringLiteral("nepovinné, soubor PEM"));
    m_btnZkusebniEmail = new QPushButton(QStringLiteral("Odeslat zkušební e-mail"), group);
    m_btnZkusebniEmail->setObjectName(QStringLiteral("btnZkusebniEmail"));
    connect(m_btnZkusebniEmail, &QPushButton::clicked, this, &TfrmNastaveni::sendTestEmail);
    connect(m_edtPort, &QSpinBox::valueChanged, this,
            [this] { m_portTyped = m_portTyped || !m_fillingControls; });
    connect(m_cbZabezpeceni, &QComboBox::activated, this, &TfrmNastaveni::securityChosen);

    auto* server = new QFormLayout;
    const auto addRow = [&](const char* labelName, const QString& caption, QWidget* field,
                            QList<QWidget*>& controls) {
        auto* label = new QLabel(caption, group);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setBuddy(field);
        server->addRow(label, field);
        controls << label << field;
    };
    addRow("lblHost", QStringLiteral("SMTP adresa"), m_edtHost, m_serverControls);
    addRow("lblPort", QStringLiteral("Číslo portu"), m_edtPort, m_serverControls);
    addRow("lblZabezpeceni", QStringLiteral("Zabezpečení"), m_cbZabezpeceni, m_serverControls);
    addRow("lblPlainAuth", QStringLiteral("Nešifrované heslo"), m_chckPlainAuth, m_serverControls);
    addRow("lblCAFile", QStringLiteral("Certifikát CA"), m_edtCAFile, m_serverControls);
    server->addRow(QString(), m_chckAuth);
    m_serverControls << m_chckAuth;
    addRow("lblJmenoOdes", QStringLiteral("Jméno odesílatele"), m_edtJmenoOdes, m_serverControls);
    addRow("lblUserID", QStringLiteral("Název účtu"), m_edtUserID, m_accountControls);
    addRow("lblAdresaOdes", QStringLiteral("E-mail odesílatele"), m_edtAdresaOdes, m_serverControls);
    addRow("lblUserPass", QStringLiteral("Heslo"), m_edtUserPass, m_accountControls);

    // The two ways side by side, the mail client left and SMTP right, so that the tab fits the height
    // of a 768-pixel screen.
    auto* clientColumn = new QVBoxLayout;
    clientColumn->addWidget(m_rbVychozKlient);
    clientColumn->addWidget(clientGroup, 1);
    auto* smtpColumn = new QVBoxLayout;
    smtpColumn->addWidget(m_rbSMTP);
    smtpColumn->addLayout(server);
    auto* testRow = new QHBoxLayout;
    testRow->addStretch(1);
    testRow->addWidget(m_btnZkusebniEmail);
    smtpColumn->addLayout(testRow);
    smtpColumn->addStretch(1);
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addLayout(clientColumn, 2);
    groupLayout->addLayout(smtpColumn, 3);
    m_serverControls << m_btnZkusebniEmail;

    auto* single = new QGroupBox(QStringLiteral("Jednotlivá upomínka"), page);
    single->setObjectName(QStringLiteral("gbJednotliva"));
    m_rbJednotliveKlient = new QRadioButton(QStringLiteral("v okně poštovního klienta"), single);
    m_rbJednotliveKlient->setObjectName(QStringLiteral("rbJednotliveKlient"));
    m_rbJednotliveSMTP = new QRadioButton(QStringLiteral("v okně tohoto programu přes SMTP server"), single);
    m_rbJednotliveSMTP->setObjectName(QStringLiteral("rbJednotliveSMTP"));
    auto* singleLayout = new QHBoxLayout(single);
    singleLayout->addWidget(m_rbJednotliveKlient);
    singleLayout->addWidget(m_rbJednotliveSMTP);
    singleLayout->addStretch(1);

    const QList<QAbstractButton*> sendButtons = {
        m_rbVychozKlient, m_rbAutomaticRadioBtn, m_rbMapiRadioBtn,  m_rbDirectRadioBtn, m_rbSMTP,
        m_chckAuth,       m_rbJednotliveKlient,  m_rbJednotliveSMTP};
    for (QAbstractButton* button : sendButtons) {
        connect(button, &QAbstractButton::clicked, this, &TfrmNastaveni::UpdateSendControls);
    }

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group, 1);
    layout->addWidget(single);
    // Filled when the dialog opens, with the clients found at start-up.
    m_lblKlientPoznamka = shadedNote(QStringLiteral("lblKlientPoznamka"), QString(), page);
    layout->addWidget(m_lblKlientPoznamka);
    return page;
}

int TfrmNastaveni::EditSettings(int tab) {
    prepareEdit(tab);
    return exec();
}

void TfrmNastaveni::prepareEdit(int tab) {
    m_tabs->setCurrentIndex(tab);
    m_lblKlientPoznamka->setText(MailRoutesNote(m_mtEmailKlient));
    SettingsForm form = formFromControls();
    fillSettingsForm(form, m_settings, m_mtEmailKlient);
    showForm(form);
    m_tsUrovne->fill(m_settings);
    m_portTyped = false;
    // The edit is the record's body itself; it differs only where the record was changed elsewhere
    // (the default put back by OK, or a new load).
    if (app::withCrLfLineBreaks(app::editedPlainText(*m_edtText)) != m_settings.EText) {
        m_edtText->setPlainText(bodyForEdit(m_settings.EText));
    }
    m_tabUroky->fill(m_settings);
    m_clientModel->reload();
    if (m_mtEmailKlient.current >= 0) {
        m_grEmailKlient->setCurrentIndex(m_clientModel->index(m_mtEmailKlient.current, 0));
    }
    UpdateSendControls();
}

void TfrmNastaveni::setRatesFolder(std::function<QString()> appDir) {
    m_tabUroky->setRatesFolder(std::move(appDir));
}

void TfrmNastaveni::UpdateSendControls() {
    const SendControlStates states = compose::UpdateSendControls(formFromControls());
    for (QWidget* control : m_serverControls) {
        control->setEnabled(states.server);
    }
    for (QWidget* control : m_accountControls) {
        control->setEnabled(states.account);
    }
    for (QRadioButton* control : {m_rbAutomaticRadioBtn, m_rbMapiRadioBtn, m_rbDirectRadioBtn}) {
        control->setEnabled(states.clientChoices);
    }
    m_grEmailKlient->setEnabled(states.clientGrid);
    m_grEmailKlient->viewport()->update();
    QApplication::processEvents();
}

SettingsForm TfrmNastaveni::formFromControls() const {
    SettingsForm form;
    form.edtPredmet = m_edtPredmet->text();
    form.edtKopieEmailu = m_edtKopieEmailu->text();
    form.chckPripojitPrilohu = m_chckPripojitPrilohu->isChecked();
    form.edtHlavicka = m_edtHlavicka->text();
    form.edtCisloDokl = m_edtCisloDokl->text();
    form.edtvystaveno = m_edtvystaveno->text();
    form.edtSplatno = m_edtSplatno->text();
    form.edtCenaCelk = m_edtCenaCelk->text();
    form.edtZbyvauhr = m_edtZbyvauhr->text();
    form.edtMena = m_edtMena->text();
    form.rbVychozKlient = !m_rbSMTP->isChecked();
    form.clientChoice = m_rbDirectRadioBtn->isChecked() ? 3 : m_rbMapiRadioBtn->isChecked() ? 2 : 1;
    form.edtHost = m_edtHost->text();
    form.edtPort = m_edtPort->value();
    form.chckAuth = m_chckAuth->isChecked();
    form.edtJmenoOdes = m_edtJmenoOdes->text();
    form.edtUserID = m_edtUserID->text();
    form.edtAdresaOdes = m_edtAdresaOdes->text();
    form.edtUserPass = m_edtUserPass->text();
    form.cbZabezpeceni = m_cbZabezpeceni->currentIndex();
    form.chckPlainAuth = m_chckPlainAuth->isChecked();
    form.edtCAFile = m_edtCAFile->text();
    form.rbJednotliveSMTP = m_rbJednotliveSMTP->isChecked();
    form.chckQRPlatba = m_chckQRPlatba->isChecked();
    form.edtQRUcet = m_edtQRUcet->text();
    form.edtQRBic = m_edtQRBic->text();
    form.edtQRZprava = m_edtQRZprava->text();
    form.cbQRRezim = m_cbQRRezim->currentIndex();
    form.edtQRUctyMeny = m_edtQRUctyMeny->text();
    return form;
}

void TfrmNastaveni::showForm(const SettingsForm& form) {
    m_edtPredmet->setText(form.edtPredmet);
    m_edtKopieEmailu->setText(form.edtKopieEmailu);
    m_chckPripojitPrilohu->setChecked(form.chckPripojitPrilohu);
    m_edtHlavicka->setText(form.edtHlavicka);
    m_edtCisloDokl->setText(form.edtCisloDokl);
    m_edtvystaveno->setText(form.edtvystaveno);
    m_edtSplatno->setText(form.edtSplatno);
    m_edtCenaCelk->setText(form.edtCenaCelk);
    m_edtZbyvauhr->setText(form.edtZbyvauhr);
    m_edtMena->setText(form.edtMena);
    (form.rbVychozKlient ? m_rbVychozKlient : m_rbSMTP)->setChecked(true);
    (form.clientChoice == 3   ? m_rbDirectRadioBtn
     : form.clientChoice == 2 ? m_rbMapiRadioBtn
                              : m_rbAutomaticRadioBtn)
        ->setChecked(true);
    m_edtHost->setText(form.edtHost);
    m_fillingControls = true;
    m_edtPort->setValue(form.edtPort);
    m_fillingControls = false;
    m_chckAuth->setChecked(form.chckAuth);
    m_edtJmenoOdes->setText(form.edtJmenoOdes);
    m_edtUserID->setText(form.edtUserID);
    m_edtAdresaOdes->setText(form.edtAdresaOdes);
    m_edtUserPass->setText(form.edtUserPass);
    m_cbZabezpeceni->setCurrentIndex(form.cbZabezpeceni);
    m_chckPlainAuth->setChecked(form.chckPlainAuth);
    m_edtCAFile->setText(form.edtCAFile);
    (form.rbJednotliveSMTP ? m_rbJednotliveSMTP : m_rbJednotliveKlient)->setChecked(true);
    m_chckQRPlatba->setChecked(form.chckQRPlatba);
    m_edtQRUcet->setText(form.edtQRUcet);
    m_edtQRBic->setText(form.edtQRBic);
    m_edtQRZprava->setText(form.edtQRZprava);
    m_cbQRRezim->setCurrentIndex(form.cbQRRezim);
    m_edtQRUctyMeny->setText(form.edtQRUctyMeny);
    showIban();
}

void TfrmNastaveni::securityChosen(int security) {
    if (m_portTyped) {
        return;
    }
    if (const auto port = proposedSmtpPort(security, m_edtPort->value())) {
        m_fillingControls = true;
        m_edtPort->setValue(*port);
        m_fillingControls = false;
    }
}

void TfrmNastaveni::sendTestEmail() {
    const SettingsForm form = formFromControls();
    if (auto warning = settingsFormWarning(form)) {
        m_ui.warning(*warning);
        return;
    }
    app::AppSettings values = m_settings;
    storeSettingsForm(form, values, m_mtEmailKlient);
    const QString to = SmtpTestRecipient(values, {});
    m_ui.showWaitMessage(QStringLiteral("Odesílám zkušební e-mail na adresu ") + to + QStringLiteral("..."),
                         true);
    const transport::SmtpOutcome outcome =
        SendSmtpTestEmail(values, to, transport::MimeEnvironment::forSystem(m_locale));
    m_ui.showWaitMessage(QString(), false);
    if (outcome.delivered) {
        m_ui.information(SmtpTestEmailReport(outcome, to));
    } else {
        m_ui.error(SmtpTestEmailReport(outcome, to));
    }
}

void TfrmNastaveni::okClicked() {
    const SettingsForm form = formFromControls();
    if (auto warning = settingsFormWarning(form)) {
        m_ui.warning(*warning);
        return;
    }
    if (auto warning = settingsTextWarning(form, m_settings.EText, m_locale.codec())) {
        m_ui.warning(*warning);
        return;
    }
    if (auto warning = qrPlatbaFormWarning(form)) {
        m_tabs->setCurrentIndex(QrPlatba);
        m_ui.warning(*warning);
        return;
    }
    if (auto warning = m_tabUroky->warning()) {
        m_tabs->setCurrentIndex(UrokyZProdleni);
        m_ui.warning(*warning);
        return;
    }
    if (auto notice = settingsFormNotice(form)) {
        m_ui.information(*notice);
    }
    storeSettingsForm(form, m_settings, m_mtEmailKlient);
    m_tsUrovne->store(m_settings);
    app::ApplyDefaults(m_settings);
    if (auto error = m_tabUroky->store(m_settings)) {
        m_ui.error(*error);
    }
    accept();
}

void TfrmNastaveni::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    app::minimizeApplicationWith(this, event);
}

}  // namespace tervalo::compose
