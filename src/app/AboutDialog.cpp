#include "app/AboutDialog.h"

#include <QDesktopServices>
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
    setToolTip(m_link.fullAddress());
    setActive(false);
}

void TUrlLinkLabel::setActive(bool active) {
    setStyleSheet(active ? QStringLiteral("color: blue; text-decoration: underline;")
                         : QStringLiteral("color: navy;"));
}

void TUrlLinkLabel::enterEvent(QEnterEvent* event) {
    setActive(true);
    QLabel::enterEvent(event);
}

void TUrlLinkLabel::leaveEvent(QEvent* event) {
    setActive(false);
    QLabel::leaveEvent(event);
}

void TUrlLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QDesktopServices::openUrl(QUrl(m_link.fullAddress()));
    }
    QLabel::mouseReleaseEvent(event);
}

TfrmAbout::TfrmAbout(const AppSession& session, std::function<void(const QString&)> showHelpTopic,
                     QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("O aplikaci"));
    setFixedSize(336, 280);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(
        QStringLiteral("<b>Tervalo - kontrola úhrad s možností e-mailingu</b><br>Verze ") + AppVersion, this);
    title->setWordWrap(true);
    layout->addWidget(title);

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
            "Chcete-li zobrazit nápovědu, <a href=\"help\">klepněte zde</a>. Textový protokol hro- madného "
            "e-mailingu (je-li k dispozici) zobrazíte klepnutím <a href=\"protocol\">zde</a>."),
        this);
    help->setWordWrap(true);
    connect(help, &QLabel::linkActivated, this, [showHelpTopic](const QString& link) {
        if (link == QStringLiteral("help")) {
            showHelpTopic(QStringLiteral("pgMain.htm"));
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
            QDesktopServices::openUrl(QUrl::fromLocalFile(license));
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

}  // namespace tervalo::app
