#include "app/SetupVersionDialog.h"

#include "widgets/MinimizeApplication.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace tervalo::app {

namespace {

const QString kInstruction = QStringLiteral(
    "Z nabízených možností vyberte verzi účetního systému Ekvan, kterou používáte. Podle této volby "
    "bude nastaveno prostředí programu a bez ní nebude aplikace pracovat správně. <b>Věnujte</b> proto "
    "<b>prosím pozornost této volbě</b>.");
const QString kHint = QStringLiteral(
    "Číslo verze najdete v Ekvan v nabídce Nápověda - O programu, v řádku \"Verze\" (viz obrázek).");

// The example of where the version number stands: a miniature of the about box of the accounting
// system, drawn here so that the program folder needs no picture file.
QPixmap versionExample() {
    QPixmap picture(150, 56);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, picture.width() - 1, picture.height() - 1);
    painter.fillRect(1, 1, picture.width() - 2, 14, QColor(10, 36, 106));
    painter.setPen(Qt::white);
    painter.drawText(QRect(4, 1, 140, 14), Qt::AlignVCenter, QStringLiteral("O programu"));
    painter.setPen(Qt::black);
    painter.drawText(QRect(8, 20, 140, 14), Qt::AlignVCenter, QStringLiteral("Ekvan"));
    painter.setPen(QColor(200, 0, 0));
    painter.drawRect(6, 36, 86, 15);
    painter.setPen(Qt::black);
    painter.drawText(QRect(8, 36, 84, 15), Qt::AlignVCenter, QStringLiteral("Verze 2.40"));
    return picture;
}

}  // namespace

TfrmSetupVer::TfrmSetupVer(const QStringList& versions, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSetupVer"));
    setWindowTitle(QStringLiteral("Verze Ekvan"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(487, 369);

    auto* header = new QFrame(this);
    header->setObjectName(QStringLiteral("panTop"));
    header->setAutoFillBackground(true);
    header->setStyleSheet(QStringLiteral("#panTop { background: white; }"));
    auto* headerLayout = new QHBoxLayout(header);
    auto* icon = new QLabel(header);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto* instruction = new QLabel(kInstruction, header);
    instruction->setObjectName(QStringLiteral("lblInstrukce"));
    instruction->setTextFormat(Qt::RichText);
    instruction->setWordWrap(true);
    headerLayout->addWidget(icon);
    headerLayout->addWidget(instruction, 1);

    m_listBox1 = new QListWidget(this);
    m_listBox1->setObjectName(QStringLiteral("ListBox1"));
    m_listBox1->addItems(versions);
    if (m_listBox1->count() > 0) {
        m_listBox1->setCurrentRow(0);
    }

    auto* hint = new QLabel(kHint, this);
    hint->setObjectName(QStringLiteral("lblHint"));
    hint->setWordWrap(true);
    auto* example = new QLabel(this);
    example->setObjectName(QStringLiteral("imgPriklad"));
    example->setPixmap(versionExample());

    auto* btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    auto* btnZrusit = new QPushButton(QStringLiteral("Zrušit"), this);
    btnZrusit->setObjectName(QStringLiteral("btnZrusit"));
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnZrusit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_listBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* listFrame = new QFrame(this);
    listFrame->setFrameShape(QFrame::StyledPanel);
    auto* listLayout = new QVBoxLayout(listFrame);
    listLayout->addWidget(m_listBox1, 1);
    auto* hintRow = new QHBoxLayout;
    hintRow->addWidget(hint, 1);
    hintRow->addWidget(example);
    listLayout->addLayout(hintRow);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnOk);
    buttons->addWidget(btnZrusit);
    buttons->addStretch(1);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(8, 8, 8, 8);
    body->addWidget(listFrame, 1);
    body->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addLayout(body, 1);

    if (QScreen* screen = QApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

std::optional<int> TfrmSetupVer::selectedLine() const {
    int row = m_listBox1->currentRow();
    return row >= 0 ? std::optional<int>(row) : std::nullopt;
}

void TfrmSetupVer::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    minimizeApplicationWith(this, event);
}

}  // namespace tervalo::app
