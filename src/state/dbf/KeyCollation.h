#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>

namespace tervalo::state::dbf {

// The string collation of a table's language (ICU, tertiary strength: letter case significant), with
// sort keys so that an index compares keys by plain byte comparison.
class KeyCollation {
public:
    // `locale` is an ICU locale name ("cs", "de"...). Throws DbfError when ICU has no collator.
    explicit KeyCollation(const QString& locale);
    ~KeyCollation();
    KeyCollation(const KeyCollation&) = delete;
    KeyCollation& operator=(const KeyCollation&) = delete;

    // Byte strings that compare with memcmp as the texts collate; equal texts give equal keys.
    QByteArray sortKey(QStringView text) const;
    int compare(QStringView a, QStringView b) const;

private:
    struct Collator;
    std::unique_ptr<Collator> m_collator;
};

}  // namespace tervalo::state::dbf
