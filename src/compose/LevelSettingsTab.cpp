#include "compose/LevelSettingsTab.h"

#include "widgets/EditedPlainText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tervalo::compose {

namespace {

constexpr int kMaxDays = 3650;

const QString kVariablesNote = QStringLiteral(
    " Kromě proměnných ze záložky Poštovní zpráva je možné v předmětu i textu používat:\n"
    " %UROVEN% - název úrovně upomínky\n"
    " %CELKEM% - dlužná částka v každé měně (např. 48 400,00 CZK; 1 500,00 EUR)\n"
    " %LHUTA% - datum: dnešek plus lhůta k úhradě této úrovně\n"
    " Úroveň dlužníka: po poslední přijaté upomínce dostane další úroveň, uplynul-li od ní zadaný počet "
    "dní a je-li jeho nejstarší doklad dost dní po splatnosti; jinak nejvyšší nižší úroveň, jejíž "
    "podmínky platí. Neplatí-li žádná, hromadný e-mailing ho vynechá.");

QSpinBox* daysEdit(const char* name, QWidget* parent) {
    auto* edit = new QSpinBox(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setRange(0, kMaxDays);
    edit->setSuffix(QStringLiteral(" dní"));
    return edit;
}

// A level as the list names it: by its name, which usually carries its number already ("2. upomínka").
QString levelLabel(int index, const QString& name) {
    return name.trimmed().isEmpty() ? QString::number(index + 1) + QStringLiteral(". úroveň") : name;
}

// The body is kept with CR LF line breaks; the edit works with LF.
QString bodyForEdit(QString body) {
    return body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

LevelSettingsTab::LevelSettingsTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tsUrovne"));
    m_edtPocet = new QSpinBox(this);
    m_edtPocet->setObjectName(QStringLiteral("edtPocetUrovni"));
    m_edtPocet->setRange(1, app::kMaxReminderLevels);
    m_cbUroven = new QComboBox(this);
    m_cbUroven->setObjectName(QStringLiteral("cbUroven"));
    m_edtNazev = new QLineEdit(this);
    m_edtNazev->setObjectName(QStringLiteral("edtNazevUrovne"));
    m_edtPredmet = new QLineEdit(this);
    m_edtPredmet->setObjectName(QStringLiteral("edtPredmetUrovne"));
    m_edtText = new QPlainTextEdit(this);
    m_edtText->setObjectName(QStringLiteral("edtTextUrovne"));
    m_edtText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edtDniOdPredchozi = daysEdit("edtDniOdPredchozi", this);
    m_edtDniPoSplatnosti = daysEdit("edtDniPoSplatnosti", this);
    m_edtLhuta = daysEdit("edtLhuta", this);
    m_lblPrvniUroven = new QLabel(
        QStringLiteral("Předmět a text první úrovně se nastavují na záložce Poštovní zpráva."), this);
    m_lblPrvniUroven->setObjectName(QStringLiteral("lblPrvniUroven"));
    m_cbJenPoSplatnosti = new QCheckBox(QStringLiteral("Upomínat jen doklady po splatnosti"), this);
    m_cbJenPoSplatnosti->setObjectName(QStringLiteral("cbJenPoSplatnosti"));
    m_cbJenPoSplatnosti->setToolTip(
        QStringLiteral("Doklady, které ke dni odeslání ještě nejsou po splatnosti (včetně tolerance "
                       "exportu), se do upomínky ani do jejích částek nezahrnou. Dlužník, kterému žádný "
                       "doklad nezbude, upomínku nedostane."));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Počet úrovní"), this));
    top->addWidget(m_edtPocet);
    top->addSpacing(16);
    top->addWidget(new QLabel(QStringLiteral("Úroveň"), this));
    top->addWidget(m_cbUroven, 1);
    top->addSpacing(16);
    top->addWidget(m_cbJenPoSplatnosti);

    auto* days = new QHBoxLayout;
    days->addWidget(new QLabel(QStringLiteral("od předchozí upomínky"), this));
    days->addWidget(m_edtDniOdPredchozi);
    days->addSpacing(12);
    days->addWidget(new QLabel(QStringLiteral("po splatnosti"), this));
    days->addWidget(m_edtDniPoSplatnosti);
    days->addSpacing(12);
    days->addWidget(new QLabel(QStringLiteral("lhůta k úhradě"), this));
    days->addWidget(m_edtLhuta);
    days->addStretch(1);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Název úrovně"), m_edtNazev);
    form->addRow(QStringLiteral("Nejméně dní"), days);
    form->addRow(QStringLiteral("Předmět e-mailu"), m_edtPredmet);
    form->addRow(QString(), m_lblPrvniUroven);
    form->addRow(QStringLiteral("Text e-mailu"), m_edtText);

    auto* note = new QLabel(kVariablesNote, this);
    note->setObjectName(QStringLiteral("lblPromenneUrovne"));
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    note->setStyleSheet(QStringLiteral("background: rgb(224, 224, 224); padding: 4px;"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(form, 1);
    layout->addWidget(note);

    connect(m_cbUroven, &QComboBox::currentIndexChanged, this, [this](int index) { showLevel(index); });
    connect(m_edtPocet, &QSpinBox::valueChanged, this, [this] { updateLevelStates(); });
}

void LevelSettingsTab::fill(const app::AppSettings& settings) {
    m_levels = settings.Urovne;
    m_shown = -1;
    m_edtPocet->setValue(settings.PocetUrovni);
    m_cbJenPoSplatnosti->setChecked(settings.JenPoSplatnosti);
    {
        const QSignalBlocker blocker(m_cbUroven);
        m_cbUroven->clear();
        for (int i = 0; i < app::kMaxReminderLevels; ++i) {
            m_cbUroven->addItem(levelLabel(i, m_levels[i].Nazev));
        }
        m_cbUroven->setCurrentIndex(0);
    }
    showLevel(0);
    updateLevelStates();
}

void LevelSettingsTab::store(app::AppSettings& settings) {
    keepShownLevel();
    settings.Urovne = m_levels;
    settings.PocetUrovni = m_edtPocet->value();
    settings.JenPoSplatnosti = m_cbJenPoSplatnosti->isChecked();
}

void LevelSettingsTab::keepShownLevel() {
    if (m_shown < 0) {
        return;
    }
    app::ReminderLevel& level = m_levels[m_shown];
    level.Nazev = m_edtNazev->text();
    if (m_shown > 0) {
        level.Predmet = m_edtPredmet->text();
        level.Text = app::withCrLfLineBreaks(app::editedPlainText(*m_edtText));
    }
    level.DniOdPredchozi = m_edtDniOdPredchozi->value();
    level.DniPoSplatnosti = m_edtDniPoSplatnosti->value();
    level.Lhuta = m_edtLhuta->value();
    updateLevelStates();
}

void LevelSettingsTab::showLevel(int index) {
    if (index < 0) {
        return;
    }
    keepShownLevel();
    m_shown = index;
    const app::ReminderLevel& level = m_levels[index];
    const bool first = index == 0;
    m_edtNazev->setText(level.Nazev);
    m_edtPredmet->setText(first ? QString() : level.Predmet);
    m_edtText->setPlainText(first ? QString() : bodyForEdit(level.Text));
    m_edtPredmet->setEnabled(!first);
    m_edtText->setEnabled(!first);
    m_lblPrvniUroven->setVisible(first);
    m_edtDniOdPredchozi->setValue(level.DniOdPredchozi);
    m_edtDniPoSplatnosti->setValue(level.DniPoSplatnosti);
    m_edtLhuta->setValue(level.Lhuta);
}

// The levels beyond those in use stay editable but are marked as unused in the list.
void LevelSettingsTab::updateLevelStates() {
    for (int i = 0; i < m_cbUroven->count(); ++i) {
        const QString name = levelLabel(i, m_levels[i].Nazev);
        m_cbUroven->setItemText(i, i < m_edtPocet->value() ? name : name + QStringLiteral(" (nepoužita)"));
    }
}

}  // namespace tervalo::compose
