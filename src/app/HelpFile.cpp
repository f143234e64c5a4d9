#include "app/HelpFile.h"

#include "platform/ZipLibrary.h"

#include <QRegularExpression>

namespace tervalo::app {

namespace {

// The help holds a few dozen small pages; anything far larger is not a help file.
constexpr qint64 kMaxHelpBytes = 64 * 1024 * 1024;

QString pageTitle(const QByteArray& html, const QString& fallback) {
    static const QRegularExpression title(
        QStringLiteral("<title>(.*?)</title>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = title.match(QString::fromUtf8(html));
    return match.hasMatch() ? helpPageText(match.captured(1).toUtf8()).simplified() : fallback;
}

}  // namespace

QString foldForHelpSearch(const QString& text) {
    QString folded = text.normalized(QString::NormalizationForm_D);
    folded.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return folded.toCaseFolded();
}

QString helpTopicFileName(const QString& topic) {
    const QString page = topic.section(QLatin1Char('#'), 0, 0);
    const QString anchor = topic.mid(page.size());
    return page.endsWith(QStringLiteral(".htm"), Qt::CaseInsensitive)
               ? topic
               : page + QStringLiteral(".htm") + anchor;
}

QStringList helpPageReferences(const QByteArray& html) {
    static const QRegularExpression reference(QStringLiteral("\\b(?:href|src)\\s*=\\s*\"([^\"]*)\""),
                                              QRegularExpression::CaseInsensitiveOption);
    QStringList targets;
    for (const QRegularExpressionMatch& match : reference.globalMatch(QString::fromUtf8(html))) {
        targets << match.captured(1);
    }
    return targets;
}

QString helpPageText(const QByteArray& html) {
    static const QRegularExpression hidden(
        QStringLiteral("<(head|script|style)\\b.*?</\\1>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString text = QString::fromUtf8(html);
    text.remove(hidden);
    text.replace(tag, QStringLiteral(" "));
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

std::optional<HelpFile> HelpFile::open(const QString& path) {
    const compose::ZipLibrary* zip = compose::ZipLibrary::shared();
    if (zip == nullptr) {
        return std::nullopt;
    }
    std::optional<std::map<QString, QByteArray>> entries = zip->readAllEntries(path, kMaxHelpBytes);
    if (!entries) {
        return std::nullopt;
    }
    return fromEntries(std::move(*entries));
}

std::optional<HelpFile> HelpFile::fromEntries(std::map<QString, QByteArray> entries) {
    HelpFile help(std::move(entries));
    const std::optional<QByteArray> list = help.entry(QString::fromLatin1(kContentsList));
    if (!list) {
        return std::nullopt;
    }
    for (const QString& line : QString::fromUtf8(*list).split(QLatin1Char('\n'))) {
        const QString topic = line.trimmed();
        const std::optional<QByteArray> page = help.entry(topic);
        if (topic.isEmpty() || !page) {
            continue;
        }
        const auto indent = line.indexOf(topic);
        help.m_contents.push_back({topic, pageTitle(*page, topic), static_cast<int>(indent / 2)});
    }
    if (help.m_contents.empty()) {
        return std::nullopt;
    }
    return help;
}

QString HelpFile::resolveTopic(const QString& topic) const {
    const QString name = helpTopicFileName(topic);
    return m_entries.contains(name.section(QLatin1Char('#'), 0, 0)) ? name : contentsPage();
}

std::optional<QByteArray> HelpFile::entry(const QString& name) const {
    const auto found = m_entries.find(name);
    if (found == m_entries.end()) {
        return std::nullopt;
    }
    return found->second;
}

QStringList HelpFile::entryNames() const {
    QStringList names;
    for (const auto& [name, content] : m_entries) {
        names << name;
    }
    return names;
}

QStringList HelpFile::search(const QString& query) const {
    const QStringList words = foldForHelpSearch(query).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList found;
    if (words.isEmpty()) {
        return found;
    }
    for (const HelpContentsEntry& page : m_contents) {
        const QString text = foldForHelpSearch(helpPageText(*entry(page.topic)));
        if (std::all_of(words.begin(), words.end(),
                        [&text](const QString& word) { return text.contains(word); })) {
            found << page.topic;
        }
    }
    return found;
}

}  // namespace tervalo::app
