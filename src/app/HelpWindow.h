#pragma once

#include "app/HelpFile.h"

#include <QTextBrowser>
#include <QWidget>

#include <functional>
#include <optional>

class QLineEdit;
class QListWidget;
class QTreeWidget;

namespace tervalo::app {

// Shows the pages of a help file: links between pages and images come from the file itself; web
// pages and mail addresses open with the desktop's program, and links of any other scheme (files,
// shares, other programs) do nothing.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    // What opens a web page or mail address (the desktop's opener unless tests set another).
    using Opener = std::function<void(const QString& address)>;

    explicit HelpBrowser(QWidget* parent = nullptr);
    void setHelpFile(const HelpFile* help) { m_help = help; }
    void setOpener(Opener opener) { m_opener = std::move(opener); }
    QVariant loadResource(int type, const QUrl& name) override;

private:
    const HelpFile* m_help = nullptr;
    Opener m_opener;
};

// The help window: the contents tree, back, forward and the contents page, and a search over the
// text of every page, beside the page shown.
class TfrmNapoveda : public QWidget {
    Q_OBJECT
public:
    explicit TfrmNapoveda(QWidget* parent = nullptr);
    // Shows `help` at `topic` (resolved as HelpFile::resolveTopic does) and brings the window up.
    void showHelp(HelpFile help, const QString& topic);
    const HelpBrowser* browser() const { return m_browser; }

private:
    void openTopic(const QString& topic);
    void fillContents();
    void runSearch();
    void markFirst(const QString& word);
    void selectInContents(const QUrl& source);

    std::optional<HelpFile> m_help;
    HelpBrowser* m_browser;
    QTreeWidget* m_contents;
    QLineEdit* m_query;
    QListWidget* m_results;
};

}  // namespace tervalo::app
