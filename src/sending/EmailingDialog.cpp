#include "sending/EmailingDialog.h"

#include "compose/SettingsDialog.h"
#include "platform/Error.h"
#include "sending/BulkRunPlan.h"
#include "sending/FirstEmailingHint.h"
#include "sending/ProtokolDialog.h"
#include "sending/RunBulkEmailing.h"
#include "sending/TestEmailDialog.h"
#include "sending/WrappedLabel.h"
#include "widgets/MinimizeApplication.h"
#include "widgets/WindowPlacement.h"
#include "widgets/YesNoQuestion.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTextLayout>
#include <QVBoxLayout>

namespace tervalo::sending {

namespace {

const QString kStopQuestion =
    QStringLiteral("Chcete hromadný e-mailing zastavit po odeslání právě odesílané upomínky?");

QLabel* valueLabel(const char* name, QWidget* parent) {
    // Wrapped, so that a long name or address takes a second line instead of widening the dialog.
    auto* label = wrappedLabel(QString(), parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TfrmEmailing::TfrmEmailing(app::AppSession& session, UserInterface& ui, compose::TfrmNastaveni& frmNastaveni,
                           QWidget* parent)
    : QDialog(parent), m_session(session), m_ui(ui), m_frmNastaveni(frmNastaveni) {
    setObjectName(QStringLiteral("frmEmailing"));
    setWindowTitle(QStringLiteral("Hromadný e-mailing"));
    app::keepWindowPlacement(this, {540, 330});
    m_frmProtokol = new TfrmProtokol(m_protocol, ui, this);
    m_frmTestEmail = new TfrmTestEmail(ui, this);

    auto* layout = new QVBoxLayout(this);
    auto* header = wrappedLabel(
        QStringLiteral("Do hromadného e-mailingu nebudou zařazeny firmy s prázdnou e-mailovou adresou a dále "
                       "firmy a doklady , které uživatel vyřadil z e-mailingu. Při hromadném odesílání "
                       "program jednotlivé karty e-mailů nezobrazuje."),
        this);
    header->setStyleSheet(QStringLiteral("background: white; padding: 6px;"));
    layout->addWidget(header);

    // The main area's own text lies under the information group, which covers it once a run starts.
    m_mainArea = new QStackedWidget(this);
    auto* start = new QWidget(m_mainArea);
    auto* startLayout = new QVBoxLayout(start);
    startLayout->setContentsMargins(0, 0, 0, 0);
    startLayout->addWidget(wrappedLabel(
        QStringLiteral("Chcete-li hromadně odeslat vybrané e-maily, klepněte na tlačítko Provést"), start));
    m_lblPlan = wrappedLabel(QString(), start);
    m_lblPlan->setObjectName(QStringLiteral("lblPlan"));
    m_lblPlan->setTextFormat(Qt::PlainText);
    startLayout->addWidget(m_lblPlan);
    startLayout->addStretch(1);
    m_mainArea->addWidget(start);
    m_information = new QWidget(m_mainArea);
    m_information->setObjectName(QStringLiteral("grInformace"));
    auto* grid = new QGridLayout(m_information);
    m_lblCapInfo = wrappedLabel(QString(), m_information);
    m_lblCapInfo->setObjectName(QStringLiteral("lblCapInfo"));
    m_lblCapInfo->setTextFormat(Qt::PlainText);
    m_lblCapInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblCapInfo->setMinimumHeight(3 * m_lblCapInfo->fontMetrics().lineSpacing());
    grid->addWidget(m_lblCapInfo, 0, 0, 1, 2);
    m_lblZde = new QLabel(QStringLiteral("<a href=\"protocol\">zde</a>"), m_lblCapInfo);
    m_lblZde->setObjectName(QStringLiteral("lblZde"));
    m_lblZde->setAutoFillBackground(true);
    m_lblZde->setCursor(Qt::PointingHandCursor);
    m_lblZde->hide();
    connect(m_lblZde, &QLabel::linkActivated, this, &TfrmEmailing::ShowProtocol);

    auto* nameCaption = new QLabel(QStringLiteral("Název firmy:"), m_information);
    auto* addressCaption = new QLabel(QStringLiteral("E-mailová adresa:"), m_information);
    m_lblNazevFirmy = valueLabel("lblNazevFirmy", m_information);
    m_lblEmailAdresa = valueLabel("lblEmailAdresa", m_information);
    m_lblPocetVygenerovanych = valueLabel("lblPocetVygenerovanych", m_information);
    m_lblPocetVynechanych = valueLabel("lblPocetVynechanych", m_information);
    m_debtorLines = {nameCaption, addressCaption, m_lblNazevFirmy, m_lblEmailAdresa};
    grid->addWidget(nameCaption, 1, 0);
    grid->addWidget(m_lblNazevFirmy, 1, 1);
    grid->addWidget(addressCaption, 2, 0);
    grid->addWidget(m_lblEmailAdresa, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Vygenerovaných e-mailů celkem:"), m_information), 3, 0);
    grid->addWidget(m_lblPocetVygenerovanych, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Vynechaných e-mailů celkem:"), m_information), 4, 0);
    grid->addWidget(m_lblPocetVynechanych, 4, 1);
    m_pbSendEmail = new QProgressBar(m_information);
    m_pbSendEmail->setObjectName(QStringLiteral("pbSendEmail"));
    m_pbSendEmail->setTextVisible(false);
    grid->addWidget(m_pbSendEmail, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    m_mainArea->addWidget(m_information);
    layout->addWidget(m_mainArea, 1);

    m_btnTestovaciRezim = button("btnTestovaciRezim", QStringLiteral("Testovací režim"), this);
    m_btnNastaveni = button("btnNastaveni", QStringLiteral("Nastavení"), this);
    m_btnProvest = button("btnProvest", QStringLiteral("Provést"), this);
    m_btnZpet = button("btnZpet", QStringLiteral("Zpět"), this);
    // Long work lets this button through, so that the user may ask to close while a run goes on.
    m_btnZpet->setProperty("tervaloAliveDuringWork", true);
    connect(m_btnTestovaciRezim, &QPushButton::clicked, this, &TfrmEmailing::testovaciRezim);
    connect(m_btnNastaveni, &QPushButton::clicked, this, [this] {
        if (m_settingsEditor) {
            m_settingsEditor(compose::TfrmNastaveni::OdesilaniEmailu);
        } else {
            m_frmNastaveni.EditSettings(compose::TfrmNastaveni::OdesilaniEmailu);
        }
        // The settings may change whom the run reaches (levels, only overdue documents).
        showPlan();
    });
    connect(m_btnProvest, &QPushButton::clicked, this, &TfrmEmailing::provest);
    connect(m_btnZpet, &QPushButton::clicked, this, &TfrmEmailing::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnTestovaciRezim);
    buttons->addWidget(m_btnNastaveni);
    buttons->addStretch(1);
    buttons->addWidget(m_btnProvest);
    buttons->addWidget(m_btnZpet);
    layout->addLayout(buttons);
}

TfrmEmailing::~TfrmEmailing() = default;

void TfrmEmailing::setSettingsEditor(std::function<void(int tab)> editor) {
    m_settingsEditor = std::move(editor);
}

void TfrmEmailing::prepareOpen() {
    setInformationVisible(false);
    m_closeAfterRun = false;
    showPlan();
    ShowFirstEmailingHint(m_session.settings, m_ui);
}

// Before a run: how many reminders it will send, and whom it skips and why. A journal that cannot be
// read leaves the line empty; the run itself then says why.
void TfrmEmailing::showPlan() {
    try {
        const state::SendJournal journal(state::SendJournal::pathIn(m_session.AppDir));
        const QDate today = QDate::currentDate();
        const DebtorLevels levels(m_session.settings, &journal, today, m_session.ChosenLevels);
        m_lblPlan->setText(
            BulkRunPlanText(PlanBulkRun(m_session.tables, *m_session.stateTables, &journal, today, &levels)));
    } catch (const platform::Error&) {
        m_lblPlan->clear();
    }
}

void TfrmEmailing::OpenBulkEmailing() {
    prepareOpen();
    exec();
}

void TfrmEmailing::SetBulkButtons(bool on) {
    m_btnTestovaciRezim->setEnabled(on);
    m_btnProvest->setEnabled(on);
    m_btnNastaveni->setEnabled(on);
}

void TfrmEmailing::ShowProtocol() {
    m_frmProtokol->ShowProtocol();
}

void TfrmEmailing::provest() {
    memtable::MemTable& firmy = m_session.tables.mtFirmy;
    const memtable::MemTable::Bookmark current = firmy.bookmark();
    SetBulkButtons(false);
    const std::optional<QString> error = run(std::nullopt);
    SetBulkButtons(true);
    firmy.gotoBookmark(current);
    showError(error);
    closeIfAsked();
}

// After a test run the current debtor stays the one at which the run stopped.
void TfrmEmailing::testovaciRezim() {
    SetBulkButtons(false);
    std::optional<QString> error;
    if (const std::optional<TestMode> testMode = m_frmTestEmail->askTestMode()) {
        error = run(testMode);
    }
    SetBulkButtons(true);
    showError(error);
    closeIfAsked();
}

// The user asked to close during the run and let it go on: the dialog closes now that it is over.
void TfrmEmailing::closeIfAsked() {
    m_stopAsked = false;
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        QDialog::reject();
    }
}

// An error of the mail-client interface ends the run. Its text comes back so that the button's
// handler can restore the dialog first, then show it as the general error handling does.
std::optional<QString> TfrmEmailing::run(const std::optional<TestMode>& testMode) {
    compose::ReminderContext reminder = app::ReminderContextOf(m_session, m_ui);
    BulkEmailingContext context{reminder, *m_session.stateTables, m_session.TempDir, m_protocol, *this};
    context.stopWanted = [this] { return stopWanted(); };
    context.confirmResend = [this](const QString& question) { return confirmResend(question); };
    context.chosenLevels = m_session.ChosenLevels;
    std::optional<QString> error;
    m_running = true;
    // Esc and the close box reach the dialog during the run, as "Zpět" does.
    setProperty("tervaloAliveDuringWork", true);
    const auto ended = qScopeGuard([this] {
        setProperty("tervaloAliveDuringWork", false);
        m_running = false;
    });
    try {
        state::SendJournal journal(state::SendJournal::pathIn(m_session.AppDir));
        context.journal = &journal;
        RunBulkEmailing(context, testMode);
    } catch (const platform::Error& e) {
        error = e.text();
    }
    return error;
}

// Asked by the run between its steps, outside the pass that lets events through, so the question
// takes the user's answer.
bool TfrmEmailing::stopWanted() {
    if (!m_stopAsked) {
        return false;
    }
    m_stopAsked = false;
    if (m_ui.confirm(kStopQuestion)) {
        return true;
    }
    m_closeAfterRun = true;
    return false;
}

// No is the default: sending the same reminder twice a day must be chosen.
bool TfrmEmailing::confirmResend(const QString& question) {
    return app::askYesNo(this, question, false);
}

void TfrmEmailing::showError(const std::optional<QString>& error) {
    if (error) {
        m_ui.error(*error);
    }
}

// "Zpět", Esc and the close box during a run ask whether to stop it (the run asks at its next step);
// otherwise they end the dialog.
void TfrmEmailing::reject() {
    if (m_running) {
        m_stopAsked = true;
        return;
    }
    QDialog::reject();
}

void TfrmEmailing::closeEvent(QCloseEvent* event) {
    if (m_running) {
        m_stopAsked = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmEmailing::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    app::minimizeApplicationWith(this, event);
}

void TfrmEmailing::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeLink();
}

// The link covers the word "zde" of the finished status text, wherever the wrapping puts it.
void TfrmEmailing::placeLink() {
    const QString text = m_lblCapInfo->text();
    const qsizetype at = text.indexOf(QStringLiteral("zde)"));
    if (at < 0) {
        return;
    }
    QTextLayout layout(text, m_lblCapInfo->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    const int width = m_lblCapInfo->contentsRect().width();
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    const QTextLine line = layout.lineForTextPosition(int(at));
    if (!line.isValid()) {
        return;
    }
    const int x = int(line.cursorToX(int(at)));
    m_lblZde->adjustSize();
    m_lblZde->move(m_lblCapInfo->contentsRect().topLeft() + QPoint(x, int(line.y())));
}

void TfrmEmailing::setInformationVisible(bool visible) {
    m_mainArea->setCurrentIndex(visible ? 1 : 0);
}

void TfrmEmailing::setStatusText(const QString& text) {
    m_lblCapInfo->setText(text);
    placeLink();
}

void TfrmEmailing::setLinkVisible(bool visible) {
    m_lblZde->setVisible(visible);
    placeLink();
}

void TfrmEmailing::setDebtorLinesVisible(bool visible) {
    for (QWidget* line : m_debtorLines) {
        line->setVisible(visible);
    }
}

void TfrmEmailing::setDebtorName(const QString& name) {
    m_lblNazevFirmy->setText(name);
}

void TfrmEmailing::setDebtorAddress(const QString& address) {
    m_lblEmailAdresa->setText(address);
}

void TfrmEmailing::setGeneratedCount(const QString& text) {
    m_lblPocetVygenerovanych->setText(text);
}

void TfrmEmailing::setSkippedCount(const QString& text) {
    m_lblPocetVynechanych->setText(text);
}

void TfrmEmailing::setProgressMaximum(int maximum) {
    m_pbSendEmail->setMaximum(maximum);
}

void TfrmEmailing::setProgress(int position) {
    m_pbSendEmail->setValue(position);
}

}  // namespace tervalo::sending
