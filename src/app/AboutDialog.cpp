#include "app/AboutDialog.h"

#include "app/ProgramIcon.h"
#include "platform/AppVersion.h"
#include "platform/ShellOpen.h"
#include "widgets/MinimizeApplication.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tervalo::app {

namespace {
const QString kSupportAddress = QStringLiteral("podpora@tervalo.cz");
const QString kHomePage = QStringLiteral("https://www.tervalo.cz");
}  // namespace

TUrlLinkLabel::TUrlLinkLabel(const QString& text, UrlLink link, QWidget* parent)
    : QLabel(text, parent), m_link(std::move(link)) {
    QFont font = this->font();
    font.setFamily(QFontDatabase::families().contains(QStringLiteral("Tahoma")) ? QStringLiteral("Tahoma")
                                                                                : QStringLiteral("Arial"));
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    refreshHint();
    paintAs(m_inactiveColor, false);
}

void TUrlLinkLabel::setLink(UrlLink link) {
    m_link = std::move(link);
    refreshHint();
}

void TUrlLinkLabel::refreshHint() {
    if (m_showUrlHint) {
        setToolTip(m_link.fullAddress());
    }
}

void TUrlLinkLabel::setShowUrlHint(bool on) {
    m_showUrlHint = on;
    if (on) {
        refreshHint();
    } else if (toolTip() == m_link.fullAddress()) {
        setToolTip(QString());
    }
}

void TUrlLinkLabel::setDetectMouse(bool on) {
    m_detectMouse = on;
    paintAs(m_inactiveColor, !on);
}

void TUrlLinkLabel::setInactiveColor(const QColor& color) {
    m_inactiveColor = color;
    paintAs(m_inactiveColor, !m_detectMouse);
}

void TUrlLinkLabel::paintAs(const QColor& color, bool underline) {
    setStyleSheet(QStringLiteral("color: %1; text-decoration: %2;")
                      .arg(color.name(), underline ? QStringLiteral("underline") : QStringLiteral("none")));
}

void TUrlLinkLabel::enterEvent(QEnterEvent* event) {
    if (m_detectMouse) {
        paintAs(m_activeColor, m_underlineOnEnter);
    }
    Q_EMIT mouseEntered();
    QLabel::enterEvent(event);
}

void TUrlLinkLabel::leaveEvent(QEvent* event) {
    if (m_detectMouse) {
        paintAs(m_inactiveColor, false);
    }
    Q_EMIT mouseLeft();
    QLabel::leaveEvent(event);
}

void TUrlLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        platform::StartAssociatedProgram(m_link.fullAddress());
    }
    QLabel::mouseReleaseEvent(event);
}

TfrmAbout::TfrmAbout(const AppSession& session, std::function<void(const QString&)> showHelpTopic,
                     std::function<void()> showProtocol, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("O aplikaci"));
    setFixedSize(336, 280);
    auto* layout = new QVBoxLayout(this);
    auto* title =
        new QLabel(QStringLiteral("<b>Tervalo - kontrola úhrad s možností e-mailingu</b><br>Verze ") +
                       platform::AppVersion,
                   this);
    title->setWordWrap(true);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIkona"));
    icon->setPixmap(programIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    auto* titleLine = new QHBoxLayout;
    titleLine->addWidget(icon);
    titleLine->addWidget(title, 1);
    layout->addLayout(titleLine);

    auto linkLine = [&](const QString& caption, TUrlLinkLabel* label) {
        auto* line = new QHBoxLayout;
        line->addWidget(new QLabel(caption, this));
        line->addWidget(label);
        line->addStretch(1);
        layout->addLayout(line);
    };
    UrlLink mail;
    mail.URL = kSupportAddress;
    mail.URLType = TUrlType::utMail;
    linkLine(QStringLiteral("Technická podpora:"), new TUrlLinkLabel(kSupportAddress, mail, this));
    UrlLink web;
    web.URL = kHomePage;
    web.URLType = TUrlType::utCustom;
    linkLine(QStringLiteral("Domací stránka doplňku:"), new TUrlLinkLabel(kHomePage, web, this));

    auto* help = new QLabel(
        QStringLiteral(
            "Chcete-li zobrazit nápovědu, <a href=\"help\">klepněte zde</a>. Textový protokol hromadného "
            "e-mailingu (je-li k dispozici) zobrazíte klepnutím <a href=\"protocol\">zde</a>."),
        this);
    help->setObjectName(QStringLiteral("lblNapoveda"));
    help->setWordWrap(true);
    connect(help, &QLabel::linkActivated, this, [showHelpTopic, showProtocol](const QString& link) {
        if (link == QStringLiteral("help")) {
            showHelpTopic(QStringLiteral("pgMain.htm"));
        } else if (link == QStringLiteral("protocol")) {
            showProtocol();
        }
    });
    layout->addWidget(help);

    auto* notice = new QTextBrowser(this);
    notice->setOpenLinks(false);
    notice->setHtml(QStringLiteral(
        "<p>Tento program je chráněn autorským právem. Jeho užívání se řídí licenčními podmínkami; "
        "neoprávněné "
        "šíření nebo úpravy programu jsou zakázány.</p><p><a href=\"license\">Licenční podmínky</a></p>"));
    const QString license = session.AppDir + QStringLiteral("license.txt");
    connect(notice, &QTextBrowser::anchorClicked, this, [license] {
        if (QFileInfo::exists(license)) {
            platform::StartAssociatedProgram(license);
        }
    });
    layout->addWidget(notice, 1);

    auto* close = new QPushButton(QStringLiteral("Zavřít"), this);
    close->setObjectName(QStringLiteral("btnZavrit"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
}

void TfrmAbout::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    minimizeApplicationWith(this, event);
}

}  // namespace tervalo::app
