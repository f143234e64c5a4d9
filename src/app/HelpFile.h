#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

namespace tervalo::app {

// One line of the help's contents: a page and its depth in the tree (0 for the top level).
struct HelpContentsEntry {
    QString topic;
    QString title;
    int level = 0;
};

// The help file `Tervalo.chm`: a ZIP archive of UTF-8 HTML pages and their images, with the list
// `Contents.txt` naming the pages of the contents in order, one a line, indented by two blanks a
// level. The first page listed is the contents page, where unknown topics lead.
class HelpFile {
public:
    static constexpr const char* kContentsList = "Contents.txt";

    // Nothing when the file is missing, unreadable, not such an archive, or libzip is not there.
    static std::optional<HelpFile> open(const QString& path);
    // The same from entries already read; nothing without a usable contents list.
    static std::optional<HelpFile> fromEntries(std::map<QString, QByteArray> entries);

    const std::vector<HelpContentsEntry>& contents() const { return m_contents; }
    const QString& contentsPage() const { return m_contents.front().topic; }
    // The page a topic names: ".htm" appended when missing, the contents page when there is no such
    // page. An anchor ("page.htm#part") is kept.
    QString resolveTopic(const QString& topic) const;
    // An entry's bytes; nothing when the archive has no such entry.
    std::optional<QByteArray> entry(const QString& name) const;
    QStringList entryNames() const;
    // The pages in contents order whose text holds every word of `query`, compared without regard
    // to letter case and diacritics ("upominka" finds "Upomínka").
    QStringList search(const QString& query) const;

private:
    explicit HelpFile(std::map<QString, QByteArray> entries) : m_entries(std::move(entries)) {}

    std::map<QString, QByteArray> m_entries;
    std::vector<HelpContentsEntry> m_contents;
};

// ".htm" appended to a topic given without it.
QString helpTopicFileName(const QString& topic);
// The targets of a page's links and images (href and src), as written, external ones included.
QStringList helpPageReferences(const QByteArray& html);
// Lower case without diacritics, as the search compares; one character for each of a composed text.
QString foldForHelpSearch(const QString& text);
// A page's text without tags and with the common entities decoded.
QString helpPageText(const QByteArray& html);

}  // namespace tervalo::app
