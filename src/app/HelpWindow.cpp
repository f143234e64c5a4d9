#include "app/HelpWindow.h"

#include "platform/ShellOpen.h"
#include "widgets/WindowPlacement.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tervalo::app {

namespace {

constexpr int kTopicRole = Qt::UserRole;

// Pages and images live in the file, addressed by relative URLs without a scheme.
bool isInsideHelp(const QUrl& url) {
    return url.scheme().isEmpty();
}

bool opensOutside(const QUrl& url) {
    const QString scheme = url.scheme();
    return scheme == QStringLiteral("http") || scheme == QStringLiteral("https") ||
           scheme == QStringLiteral("mailto");
}

}  // namespace

HelpBrowser::HelpBrowser(QWidget* parent)
    : QTextBrowser(parent), m_opener(&platform::StartAssociatedProgram) {
    setObjectName(QStringLiteral("brNapoveda"));
    // Pages come from the help file; web pages and mail go to the desktop, other schemes nowhere.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (!isInsideHelp(url)) {
            if (opensOutside(url)) {
                m_opener(QString::fromLatin1(url.toEncoded()));
            }
            return;
        }
        const QString page = url.path().isEmpty() ? source().path() : url.path();
        QUrl target(m_help != nullptr ? m_help->resolveTopic(page) : page);
        target.setFragment(url.fragment());
        setSource(target);
    });
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (m_help == nullptr || !isInsideHelp(name)) {
        return {};
    }
    const std::optional<QByteArray> content = m_help->entry(name.path());
    if (!content) {
        return {};
    }
    if (type == QTextDocument::ImageResource) {
        return QImage::fromData(*content);
    }
    return QString::fromUtf8(*content);
}

TfrmNapoveda::TfrmNapoveda(QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_browser(new HelpBrowser),
      m_contents(new QTreeWidget),
      m_query(new QLineEdit),
      m_results(new QListWidget) {
    setObjectName(QStringLiteral("frmNapoveda"));
    setWindowTitle(QStringLiteral("Tervalo - nápověda"));
    keepWindowPlacement(this, {860, 600});

    auto* btnZpet = new QPushButton(QStringLiteral("Zpět"));
    btnZpet->setObjectName(QStringLiteral("btnZpet"));
    auto* btnVpred = new QPushButton(QStringLiteral("Vpřed"));
    btnVpred->setObjectName(QStringLiteral("btnVpred"));
    auto* btnObsah = new QPushButton(QStringLiteral("Obsah"));
    btnObsah->setObjectName(QStringLiteral("btnObsah"));
    btnZpet->setEnabled(false);
    btnVpred->setEnabled(false);
    connect(btnZpet, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(btnVpred, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, btnZpet, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, btnVpred, &QPushButton::setEnabled);
    connect(btnObsah, &QPushButton::clicked, this, [this] { openTopic(m_help->contentsPage()); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnZpet);
    buttons->addWidget(btnVpred);
    buttons->addWidget(btnObsah);
    buttons->addStretch();

    m_contents->setObjectName(QStringLiteral("tvObsah"));
    m_contents->setHeaderHidden(true);
    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { openTopic(item->data(0, kTopicRole).toString()); });

    m_query->setObjectName(QStringLiteral("edtHledat"));
    m_query->setPlaceholderText(QStringLiteral("Hledaný text"));
    m_query->setClearButtonEnabled(true);
    m_results->setObjectName(QStringLiteral("lbVysledky"));
    auto* btnHledat = new QPushButton(QStringLiteral("Hledat"));
    btnHledat->setObjectName(QStringLiteral("btnHledat"));
    connect(btnHledat, &QPushButton::clicked, this, &TfrmNapoveda::runSearch);
    connect(m_query, &QLineEdit::returnPressed, this, &TfrmNapoveda::runSearch);
    // The page opens with its first occurrence of the query's first word marked.
    connect(m_results, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        openTopic(item->data(kTopicRole).toString());
        markFirst(m_query->text().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty));
    });

    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    auto* queryRow = new QHBoxLayout;
    queryRow->addWidget(m_query);
    queryRow->addWidget(btnHledat);
    searchLayout->addLayout(queryRow);
    searchLayout->addWidget(m_results);

    auto* tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("pcNavigace"));
    tabs->addTab(m_contents, QStringLiteral("Obsah"));
    tabs->addTab(searchPage, QStringLiteral("Hledat"));

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({340, 520});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter);

    connect(m_browser, &QTextBrowser::sourceChanged, this, &TfrmNapoveda::selectInContents);
}

void TfrmNapoveda::showHelp(HelpFile help, const QString& topic) {
    // The browser keeps no pointer into the previous file across the swap: history is cleared first.
    m_browser->setHelpFile(nullptr);
    m_browser->clearHistory();
    m_help = std::move(help);
    m_browser->setHelpFile(&*m_help);
    fillContents();
    m_results->clear();
    openTopic(topic);
    show();
    raise();
    activateWindow();
}

void TfrmNapoveda::openTopic(const QString& topic) {
    const QString name = m_help->resolveTopic(topic);
    QUrl url(name.section(QLatin1Char('#'), 0, 0));
    const QString anchor = name.section(QLatin1Char('#'), 1);
    if (!anchor.isEmpty()) {
        url.setFragment(anchor);
    }
    m_browser->setSource(url);
}

void TfrmNapoveda::fillContents() {
    m_contents->clear();
    std::vector<QTreeWidgetItem*> parents;
    for (const HelpContentsEntry& entry : m_help->contents()) {
        const auto level = static_cast<size_t>(entry.level);
        parents.resize(std::min(parents.size(), level));
        auto* item = parents.empty() ? new QTreeWidgetItem(m_contents) : new QTreeWidgetItem(parents.back());
        item->setText(0, entry.title);
        item->setData(0, kTopicRole, entry.topic);
        parents.push_back(item);
    }
    m_contents->expandAll();
}

void TfrmNapoveda::runSearch() {
    m_results->clear();
    for (const QString& topic : m_help->search(m_query->text())) {
        for (const HelpContentsEntry& entry : m_help->contents()) {
            if (entry.topic == topic) {
                auto* item = new QListWidgetItem(entry.title, m_results);
                item->setData(kTopicRole, topic);
            }
        }
    }
    if (m_results->count() == 0) {
        auto* none = new QListWidgetItem(QStringLiteral("Nic nenalezeno."), m_results);
        none->setFlags(Qt::NoItemFlags);
    }
}

// Compared as the search compares, so that "rezim" marks "režim".
void TfrmNapoveda::markFirst(const QString& word) {
    const QString text = m_browser->document()->toPlainText().normalized(QString::NormalizationForm_C);
    const QString folded = foldForHelpSearch(text);
    const QString wanted = foldForHelpSearch(word);
    const qsizetype at = folded.indexOf(wanted);
    if (wanted.isEmpty() || at < 0 || folded.size() != text.size()) {
        return;
    }
    QTextCursor cursor(m_browser->document());
    cursor.setPosition(static_cast<int>(at));
    cursor.setPosition(static_cast<int>(at + wanted.size()), QTextCursor::KeepAnchor);
    m_browser->setTextCursor(cursor);
}

void TfrmNapoveda::selectInContents(const QUrl& source) {
    for (QTreeWidgetItemIterator it(m_contents); *it != nullptr; ++it) {
        if ((*it)->data(0, kTopicRole).toString() == source.path()) {
            m_contents->setCurrentItem(*it);
            return;
        }
    }
}

}  // namespace tervalo::app
