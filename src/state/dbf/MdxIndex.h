#pragma once

#include "state/dbf/KeyCollation.h"
#include "state/dbf/SharedFile.h"

#include "platform/AnsiCodec.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tervalo::state::dbf {

// Production index (.mdx), dBASE IV form. A page is 512 bytes, a block 1024 bytes (two pages); every
// pointer in the file counts pages. Integers little-endian.
//
//   File header, pages 0-3
//   | Off | Size | Content                                      |
//   |   0 |    1 | 2                                            |
//   |   1 |    3 | creation date: year - 1900, month, day       |
//   |   4 |   16 | table name without extension, 0x00-padded    |
//   |  20 |    2 | pages per block: 2                           |
//   |  22 |    2 | block length: 1024                           |
//   |  24 |    1 | 1: production index                          |
//   |  25 |    1 | 48 tag slots                                 |
//   |  26 |    1 | 32: tag slot length                          |
//   |  28 |    2 | tags in use                                  |
//   |  31 |    1 | the table's language driver                  |
//   |  32 |    4 | pages in the file                            |
//   |  36 |    4 | first free page: 0, nodes are never freed    |
//   |  44 |    3 | date of the last update                      |
//   | 529 |    1 | 1                                            |
//   | 544 | 47x32| tag table: header page (4), name (11, 0x00-terminated), 0x10 at 15, 2 at 19, 'C' at 20 |
//
//   Tag header block
//   |   0 |    4 | root page                                    |
//   |   4 |    4 | pages of the tag's nodes (2 per node)        |
//   |   8 |    1 | key format 0x10: character, ascending, not unique |
//   |   9 |    1 | key type 'C'                                 |
//   |  12 |    2 | key length                                   |
//   |  14 |    2 | keys per node: (1024 - 12) / item length     |
//   |  18 |    2 | item length: key length + 4, rounded up to 4 |
//   |  20 |    4 | change counter, raised by every update       |
//   |  24 |  220 | key expression, 0x00-terminated              |
//
//   B-tree node, one block
//   |   0 |    4 | number of items n                            |
//   |   8 | n x item length | items: a pointer (4) and the key bytes; in a leaf the pointer is the
//   |     |      |   record number, in an interior node a child's page whose keys are <= this key  |
//   | 8 + n x item length | 4 | 0 in a leaf; in an interior node the child holding greater keys |
//
// Keys are ordered by the collation of the table's language, then by their bytes, then by record
// number: a total order in which an exact lookup meets only byte-equal keys.

struct IndexDef {
    QString tagName;     // upper case, at most 10 characters
    QString expression;  // the key field's name
};

struct IndexEntry {
    QByteArray key;
    quint32 record = 0;
    bool operator==(const IndexEntry&) const = default;
};

struct TagContent {
    IndexDef def;
    int keyLength = 0;
    std::vector<IndexEntry> entries;  // in any order
};

class MdxIndex {
public:
    static constexpr int maxTags = 47;

    struct Tag {
        QString name;
        QString expression;
        quint32 headerPage = 0;
        int keyLength = 0;
        int itemLength = 0;
        int maxKeys = 0;
        quint8 keyFormat = 0;
        char keyType = 0;
    };

    // Empty when the file does not exist. Throws DbfError on a file whose header is damaged.
    static std::unique_ptr<MdxIndex> open(const QString& path, const KeyCollation& collation,
                                          const platform::AnsiCodec& codec);
    // A whole index file holding these tags, each keyed with its entries.
    static QByteArray build(const QString& tableName, quint8 languageDriver,
                            const std::vector<TagContent>& tags, const QDate& today,
                            const KeyCollation& collation, const platform::AnsiCodec& codec);
    static int itemLengthFor(int keyLength) { return (keyLength + 4 + 3) / 4 * 4; }

    ~MdxIndex();
    const SharedFile& file() const { return m_file; }
    const std::vector<Tag>& tags() const { return m_tags; }
    int findTag(const QString& name) const;

    // The operations below run under the caller's index lock: shared to read, exclusive to write.
    // A damaged tree raises DbfError.

    // Record of the first key byte-equal to `key` (key length bytes), in index order.
    std::optional<quint32> findEqual(int tag, const QByteArray& key);
    // The first entry at or after (key, record) in index order; an empty key means the first entry.
    std::optional<IndexEntry> findFrom(int tag, const QByteArray& key, quint32 record);
    void insert(int tag, const QByteArray& key, quint32 record);
    bool remove(int tag, const QByteArray& key, quint32 record);
    // Walks the tag's tree in key order, reading each node once and keeping only the path to it, and
    // hands every entry to `visit` (the key has key length bytes). False when the tree is not well
    // formed, its keys are out of order, or `visit` returns false.
    using EntryVisitor = std::function<bool(const char* key, quint32 record)>;
    bool checkEntries(int tag, const EntryVisitor& visit);

private:
    struct Node;
    struct Target;
    struct Step;
    struct TagState {
        quint32 root = 0;
        quint32 pageCount = 0;
        quint32 counter = 0;
    };

    MdxIndex(SharedFile file, const KeyCollation& collation, const platform::AnsiCodec& codec);

    void refresh(int tag);
    void refreshForWrite(int tag);
    Node& node(int tag, quint32 page);
    const QByteArray& sortKeyOf(const QByteArray& keyBytes, QByteArray& cache) const;
    Target target(int tag, const QByteArray& key, quint32 record) const;
    std::vector<Step> descend(int tag, const Target& target);
    bool settle(int tag, std::vector<Step>& path);
    quint32 maxRecordUnder(int tag, quint32 page);
    void insertAt(int tag, std::vector<Step>& path, std::size_t level, int position, quint32 pointer,
                  const QByteArray& key, const QByteArray& sortKey);
    quint32 allocatePage(int tag);
    void writeNode(int tag, const Node& node);
    void writeTagState(int tag);
    [[noreturn]] void damaged(qint64 page) const;

    SharedFile m_file;
    const KeyCollation& m_collation;
    const platform::AnsiCodec& m_codec;
    std::vector<Tag> m_tags;
    std::vector<TagState> m_state;
    quint32 m_pageCount = 0;
    quint32 m_writtenPageCount = 0;
    QByteArray m_lastUpdate;
    std::unordered_map<quint32, std::unique_ptr<Node>> m_nodes;
};

}  // namespace tervalo::state::dbf
