#include "state/dbf/MdxIndex.h"

#include "state/dbf/DbfError.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

namespace tervalo::state::dbf {

namespace {

constexpr int kPage = 512;
constexpr int kBlock = 1024;
constexpr int kHeaderPages = 4;
constexpr int kTagTable = 544;
constexpr int kTagSlot = 32;
constexpr int kTagStateLength = 24;
constexpr int kExpressionOffset = 24;
constexpr int kMaxExpression = 219;
constexpr quint8 kKeyFormat = 0x10;
constexpr int kMaxDepth = 64;
// Nodes kept in memory between operations; the cache is dropped when it grows past this.
constexpr std::size_t kMaxCachedNodes = 1 << 17;

quint32 u32(const char* p) {
    return qFromLittleEndian<quint32>(p);
}
quint16 u16(const char* p) {
    return qFromLittleEndian<quint16>(p);
}
void put32(char* p, quint32 v) {
    qToLittleEndian<quint32>(v, p);
}
void put16(char* p, quint16 v) {
    qToLittleEndian<quint16>(v, p);
}

int compareBytes(QByteArrayView a, QByteArrayView b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (a[i] != b[i]) {
            return quint8(a[i]) < quint8(b[i]) ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

QByteArray dateBytes(const QDate& date) {
    QByteArray bytes(3, '\0');
    bytes[0] = char(date.year() - 1900);
    bytes[1] = char(date.month());
    bytes[2] = char(date.day());
    return bytes;
}

QByteArray tagHeaderBlock(const IndexDef& def, int keyLength, quint32 root, quint32 pageCount) {
    QByteArray block(kBlock, '\0');
    const int itemLength = MdxIndex::itemLengthFor(keyLength);
    put32(block.data(), root);
    put32(block.data() + 4, pageCount);
    block[8] = char(kKeyFormat);
    block[9] = 'C';
    put16(block.data() + 12, quint16(keyLength));
    put16(block.data() + 14, quint16((kBlock - 12) / itemLength));
    put16(block.data() + 18, quint16(itemLength));
    QByteArray expression = def.expression.toLatin1().left(kMaxExpression);
    memcpy(block.data() + kExpressionOffset, expression.constData(), std::size_t(expression.size()));
    return block;
}

}  // namespace

struct MdxIndex::Node {
    struct Item {
        quint32 pointer = 0;
        QByteArray key;
        QByteArray sortKey;  // filled when first needed
    };
    quint32 page = 0;
    std::vector<Item> items;
    quint32 right = 0;  // 0 in a leaf
    bool isLeaf() const { return right == 0; }
    quint32 child(std::size_t i) const { return i < items.size() ? items[i].pointer : right; }

    QByteArray serialize(int keyLength, int itemLength) const {
        QByteArray block(kBlock, '\0');
        put32(block.data(), quint32(items.size()));
        char* at = block.data() + 8;
        for (const auto& item : items) {
            put32(at, item.pointer);
            memcpy(at + 4, item.key.constData(),
                   std::size_t(std::min<qsizetype>(keyLength, item.key.size())));
            at += itemLength;
        }
        put32(at, right);
        return block;
    }
};

// A position sought in the order: sort key and bytes of the key, then the record number.
struct MdxIndex::Target {
    QByteArray key;
    QByteArray sortKey;
    quint32 record = 0;
};

struct MdxIndex::Step {
    Node* node;
    std::size_t index;
};

MdxIndex::MdxIndex(SharedFile file, const KeyCollation& collation, const platform::AnsiCodec& codec)
    : m_file(std::move(file)), m_collation(collation), m_codec(codec) {}

MdxIndex::~MdxIndex() = default;

void MdxIndex::damaged(qint64 page) const {
    throw DbfError(
        QStringLiteral("Index file \"%1\" is damaged; it is rebuilt when the table is next opened.")
            .arg(m_file.path()),
        m_file.path(), page * kPage);
}

std::unique_ptr<MdxIndex> MdxIndex::open(const QString& path, const KeyCollation& collation,
                                         const platform::AnsiCodec& codec) {
    std::optional<SharedFile> file = SharedFile::openExisting(path);
    if (!file) {
        return nullptr;
    }
    std::unique_ptr<MdxIndex> index(new MdxIndex(std::move(*file), collation, codec));
    const SharedFile& f = index->m_file;
    QByteArray header = f.readExactly(0, kHeaderPages * kPage);
    const int tagCount = u16(header.constData() + 28);
    if (header[0] != 2 || u16(header.constData() + 22) != kBlock || quint8(header[26]) != kTagSlot ||
        tagCount > maxTags) {
        throw DbfError::invalidFile(path, 0);
    }
    index->m_pageCount = u32(header.constData() + 32);
    index->m_writtenPageCount = index->m_pageCount;
    index->m_lastUpdate = header.mid(44, 3);
    for (int i = 0; i < tagCount; ++i) {
        const char* slot = header.constData() + kTagTable + i * kTagSlot;
        Tag tag;
        tag.headerPage = u32(slot);
        tag.name = QString::fromLatin1(slot + 4, int(qstrnlen(slot + 4, 11))).trimmed().toUpper();
        if (tag.headerPage < kHeaderPages || qint64(tag.headerPage) + 2 > index->m_pageCount) {
            throw DbfError::invalidFile(path, kTagTable + i * kTagSlot);
        }
        QByteArray block = f.readExactly(qint64(tag.headerPage) * kPage, kBlock);
        tag.keyFormat = quint8(block[8]);
        tag.keyType = block[9];
        tag.keyLength = u16(block.constData() + 12);
        tag.maxKeys = u16(block.constData() + 14);
        tag.itemLength = u16(block.constData() + 18);
        tag.expression =
            QString::fromLatin1(block.constData() + kExpressionOffset,
                                int(qstrnlen(block.constData() + kExpressionOffset, kMaxExpression)));
        if (tag.keyLength < 1 || tag.itemLength < tag.keyLength + 4 || tag.maxKeys < 2 ||
            8 + qint64(tag.maxKeys) * tag.itemLength + 4 > kBlock) {
            throw DbfError::invalidFile(path, qint64(tag.headerPage) * kPage);
        }
        index->m_tags.push_back(tag);
    }
    index->m_state.resize(index->m_tags.size());
    return index;
}

QByteArray MdxIndex::build(const QString& tableName, quint8 languageDriver,
                           const std::vector<TagContent>& tags, const QDate& today,
                           const KeyCollation& collation, const platform::AnsiCodec& codec) {
    if (tags.size() > std::size_t(maxTags)) {
        throw DbfError(QStringLiteral("Can not create index: too many indexes in file."));
    }
    QByteArray file(kHeaderPages * kPage, '\0');
    file[0] = 2;
    file.replace(1, 3, dateBytes(today));
    QByteArray name = QFileInfo(tableName).completeBaseName().toLatin1().left(15);
    memcpy(file.data() + 4, name.constData(), std::size_t(name.size()));
    put16(file.data() + 20, 2);
    put16(file.data() + 22, kBlock);
    file[24] = 1;
    file[25] = 48;
    file[26] = kTagSlot;
    put16(file.data() + 28, quint16(tags.size()));
    file[31] = char(languageDriver);
    file.replace(44, 3, dateBytes(today));
    file[529] = 1;

    for (std::size_t t = 0; t < tags.size(); ++t) {
        const TagContent& tag = tags[t];
        const int itemLength = itemLengthFor(tag.keyLength);
        const int maxKeys = (kBlock - 12) / itemLength;
        const quint32 headerPage = quint32(file.size() / kPage);

        char* slot = file.data() + kTagTable + int(t) * kTagSlot;
        put32(slot, headerPage);
        QByteArray tagName = tag.def.tagName.toUpper().toLatin1().left(10);
        memcpy(slot + 4, tagName.constData(), std::size_t(tagName.size()));
        slot[15] = 0x10;
        slot[19] = 2;
        slot[20] = 'C';

        struct Sorted {
            QByteArray sortKey;
            const IndexEntry* entry;
        };
        std::vector<Sorted> sorted;
        sorted.reserve(tag.entries.size());
        for (const auto& entry : tag.entries) {
            sorted.push_back({collation.sortKey(codec.decode(entry.key)), &entry});
        }
        std::sort(sorted.begin(), sorted.end(), [](const Sorted& a, const Sorted& b) {
            if (int c = compareBytes(a.sortKey, b.sortKey)) {
                return c < 0;
            }
            if (int c = compareBytes(a.entry->key, b.entry->key)) {
                return c < 0;
            }
            return a.entry->record < b.entry->record;
        });

        // Leaves packed full, then each level of interior nodes over the one below, up to one root.
        std::vector<QByteArray> blocks;
        struct Child {
            quint32 page;
            QByteArray maxKey;
        };
        std::vector<Child> level;
        quint32 nextPage = headerPage + 2;
        std::size_t at = 0;
        do {
            Node leaf;
            for (int i = 0; i < maxKeys && at < sorted.size(); ++i, ++at) {
                QByteArray key = sorted[at].entry->key.leftJustified(tag.keyLength, ' ', true);
                leaf.items.push_back({sorted[at].entry->record, key, {}});
            }
            level.push_back({nextPage, leaf.items.empty() ? QByteArray() : leaf.items.back().key});
            blocks.push_back(leaf.serialize(tag.keyLength, itemLength));
            nextPage += 2;
        } while (at < sorted.size());
        while (level.size() > 1) {
            std::vector<Child> upper;
            for (std::size_t i = 0; i < level.size();) {
                Node interior;
                const std::size_t end = std::min(level.size(), i + std::size_t(maxKeys) + 1);
                for (; i + 1 < end; ++i) {
                    interior.items.push_back({level[i].page, level[i].maxKey, {}});
                }
                interior.right = level[i].page;
                upper.push_back({nextPage, level[i].maxKey});
                ++i;
                blocks.push_back(interior.serialize(tag.keyLength, itemLength));
                nextPage += 2;
            }
            level = std::move(upper);
        }
        file += tagHeaderBlock(tag.def, tag.keyLength, level.front().page, quint32(blocks.size() * 2));
        for (const auto& block : blocks) {
            file += block;
        }
    }
    put32(file.data() + 32, quint32(file.size() / kPage));
    return file;
}

int MdxIndex::findTag(const QString& name) const {
    for (std::size_t i = 0; i < m_tags.size(); ++i) {
        if (m_tags[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            return int(i);
        }
    }
    return -1;
}

void MdxIndex::refresh(int tag) {
    QByteArray bytes =
        m_file.readExactly(qint64(m_tags[std::size_t(tag)].headerPage) * kPage, kTagStateLength);
    TagState fresh{u32(bytes.constData()), u32(bytes.constData() + 4), u32(bytes.constData() + 20)};
    TagState& cached = m_state[std::size_t(tag)];
    if (fresh.counter != cached.counter || fresh.root != cached.root || fresh.pageCount != cached.pageCount) {
        // Another process changed the tag, and may have added pages.
        m_nodes.clear();
        m_pageCount = u32(m_file.readExactly(32, 4).constData());
        m_writtenPageCount = m_pageCount;
    } else if (m_nodes.size() > kMaxCachedNodes) {
        m_nodes.clear();
    }
    cached = fresh;
}

void MdxIndex::refreshForWrite(int tag) {
    QByteArray header = m_file.readExactly(32, 16);
    const quint32 pageCount = u32(header.constData());
    if (pageCount != m_pageCount) {
        m_nodes.clear();
        m_pageCount = pageCount;
    }
    m_writtenPageCount = pageCount;
    m_lastUpdate = header.mid(12, 3);
    refresh(tag);
}

MdxIndex::Node& MdxIndex::node(int tag, quint32 page) {
    auto found = m_nodes.find(page);
    if (found != m_nodes.end()) {
        return *found->second;
    }
    const Tag& t = m_tags[std::size_t(tag)];
    if (page < kHeaderPages || page + 2 > m_pageCount) {
        damaged(page);
    }
    QByteArray block = m_file.readAt(qint64(page) * kPage, kBlock);
    if (block.size() != kBlock) {
        damaged(page);
    }
    const quint32 count = u32(block.constData());
    if (count > quint32(t.maxKeys)) {
        damaged(page);
    }
    auto created = std::make_unique<Node>();
    created->page = page;
    created->items.resize(count);
    const char* at = block.constData() + 8;
    for (auto& item : created->items) {
        item.pointer = u32(at);
        item.key = QByteArray(at + 4, t.keyLength);
        at += t.itemLength;
    }
    created->right = u32(at);
    Node& result = *created;
    m_nodes.emplace(page, std::move(created));
    return result;
}

const QByteArray& MdxIndex::sortKeyOf(const QByteArray& keyBytes, QByteArray& cache) const {
    if (cache.isEmpty()) {
        cache = m_collation.sortKey(m_codec.decode(keyBytes));
    }
    return cache;
}

MdxIndex::Target MdxIndex::target(int tag, const QByteArray& key, quint32 record) const {
    Target t;
    t.key = key.leftJustified(m_tags[std::size_t(tag)].keyLength, ' ', true);
    t.sortKey = m_collation.sortKey(m_codec.decode(t.key));
    t.record = record;
    return t;
}

quint32 MdxIndex::maxRecordUnder(int tag, quint32 page) {
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        Node& n = node(tag, page);
        if (n.isLeaf()) {
            return n.items.empty() ? 0 : n.items.back().pointer;
        }
        page = n.right;
    }
    damaged(page);
}

std::vector<MdxIndex::Step> MdxIndex::descend(int tag, const Target& target) {
    std::vector<Step> path;
    quint32 page = m_state[std::size_t(tag)].root;
    for (int depth = 0;; ++depth) {
        if (depth >= kMaxDepth) {
            damaged(page);
        }
        Node& n = node(tag, page);
        auto keyOrder = [&](Node::Item& item) {
            if (int c = compareBytes(sortKeyOf(item.key, item.sortKey), target.sortKey)) {
                return c;
            }
            return compareBytes(item.key, target.key);
        };
        // First item not below the target.
        std::size_t low = 0;
        std::size_t high = n.items.size();
        while (low < high) {
            std::size_t mid = (low + high) / 2;
            int c = keyOrder(n.items[mid]);
            if (c < 0 || (c == 0 && n.isLeaf() && n.items[mid].pointer < target.record)) {
                low = mid + 1;
            } else {
                high = mid;
            }
        }
        if (n.isLeaf()) {
            path.push_back({&n, low});
            return path;
        }
        // Interior keys carry no record number: among equal keys, pass children whose records all
        // come before the target's.
        while (target.record != 0 && low < n.items.size() && keyOrder(n.items[low]) == 0 &&
               maxRecordUnder(tag, n.items[low].pointer) < target.record) {
            ++low;
        }
        path.push_back({&n, low});
        page = n.child(low);
    }
}

bool MdxIndex::settle(int tag, std::vector<Step>& path) {
    while (!path.empty()) {
        Step& leaf = path.back();
        if (leaf.index < leaf.node->items.size()) {
            return true;
        }
        // Up to the nearest ancestor with a child to the right, then down its leftmost path.
        path.pop_back();
        while (!path.empty() && path.back().index >= path.back().node->items.size()) {
            path.pop_back();
        }
        if (path.empty()) {
            return false;
        }
        ++path.back().index;
        quint32 page = path.back().node->child(path.back().index);
        while (true) {
            if (path.size() >= std::size_t(kMaxDepth)) {
                damaged(page);
            }
            Node& n = node(tag, page);
            path.push_back({&n, 0});
            if (n.isLeaf()) {
                break;
            }
            page = n.child(0);
        }
    }
    return false;
}

std::optional<quint32> MdxIndex::findEqual(int tag, const QByteArray& key) {
    refresh(tag);
    Target t = target(tag, key, 0);
    std::vector<Step> path = descend(tag, t);
    if (!settle(tag, path)) {
        return std::nullopt;
    }
    const Node::Item& item = path.back().node->items[path.back().index];
    if (item.key != t.key) {
        return std::nullopt;
    }
    return item.pointer;
}

std::optional<IndexEntry> MdxIndex::findFrom(int tag, const QByteArray& key, quint32 record) {
    refresh(tag);
    std::vector<Step> path;
    if (key.isEmpty()) {
        quint32 page = m_state[std::size_t(tag)].root;
        while (true) {
            if (path.size() >= std::size_t(kMaxDepth)) {
                damaged(page);
            }
            Node& n = node(tag, page);
            path.push_back({&n, 0});
            if (n.isLeaf()) {
                break;
            }
            page = n.child(0);
        }
    } else {
        path = descend(tag, target(tag, key, record));
    }
    if (!settle(tag, path)) {
        return std::nullopt;
    }
    const Node::Item& item = path.back().node->items[path.back().index];
    return IndexEntry{item.key, item.pointer};
}

quint32 MdxIndex::allocatePage(int tag) {
    const quint32 page = m_pageCount;
    m_pageCount += 2;
    m_state[std::size_t(tag)].pageCount += 2;
    return page;
}

void MdxIndex::writeNode(int tag, const Node& n) {
    const Tag& t = m_tags[std::size_t(tag)];
    m_file.writeAt(qint64(n.page) * kPage, n.serialize(t.keyLength, t.itemLength));
}

void MdxIndex::writeTagState(int tag) {
    const Tag& t = m_tags[std::size_t(tag)];
    TagState& state = m_state[std::size_t(tag)];
    ++state.counter;
    QByteArray bytes(kTagStateLength, '\0');
    put32(bytes.data(), state.root);
    put32(bytes.data() + 4, state.pageCount);
    bytes[8] = char(t.keyFormat);
    bytes[9] = t.keyType;
    put16(bytes.data() + 12, quint16(t.keyLength));
    put16(bytes.data() + 14, quint16(t.maxKeys));
    put16(bytes.data() + 18, quint16(t.itemLength));
    put32(bytes.data() + 20, state.counter);
    // Nodes first, then the tag header that may name a new root, then the file's page count.
    m_file.writeAt(qint64(t.headerPage) * kPage, bytes);
    if (m_pageCount != m_writtenPageCount) {
        QByteArray pages(4, '\0');
        put32(pages.data(), m_pageCount);
        m_file.writeAt(32, pages);
        m_writtenPageCount = m_pageCount;
    }
    QByteArray today = dateBytes(QDate::currentDate());
    if (today != m_lastUpdate) {
        m_file.writeAt(44, today);
        m_lastUpdate = today;
    }
}

void MdxIndex::insertAt(int tag, std::vector<Step>& path, std::size_t level, int position, quint32 pointer,
                        const QByteArray& key, const QByteArray& sortKey) {
    const Tag& t = m_tags[std::size_t(tag)];
    Node& n = *path[level].node;
    const bool atEnd = std::size_t(position) == n.items.size();
    n.items.insert(n.items.begin() + position, Node::Item{pointer, key, sortKey});
    if (n.items.size() <= std::size_t(t.maxKeys)) {
        writeNode(tag, n);
        return;
    }
    // Split: the lower part moves to a new node, the upper part stays in this page, so the parent only
    // gains an item in front of the one that points here. Keys arriving in ascending order leave the
    // lower node full.
    auto left = std::make_unique<Node>();
    left->page = allocatePage(tag);
    QByteArray separator;
    QByteArray separatorSortKey;
    if (n.isLeaf()) {
        const std::size_t keep = atEnd ? n.items.size() - 1 : n.items.size() / 2;
        left->items.assign(std::make_move_iterator(n.items.begin()),
                           std::make_move_iterator(n.items.begin() + std::ptrdiff_t(keep)));
        n.items.erase(n.items.begin(), n.items.begin() + std::ptrdiff_t(keep));
        separator = left->items.back().key;
        separatorSortKey = left->items.back().sortKey;
    } else {
        const std::size_t keep = atEnd ? n.items.size() - 2 : n.items.size() / 2;
        left->items.assign(std::make_move_iterator(n.items.begin()),
                           std::make_move_iterator(n.items.begin() + std::ptrdiff_t(keep)));
        left->right = n.items[keep].pointer;
        separator = n.items[keep].key;
        separatorSortKey = n.items[keep].sortKey;
        n.items.erase(n.items.begin(), n.items.begin() + std::ptrdiff_t(keep) + 1);
    }
    Node& lower = *left;
    m_nodes.emplace(lower.page, std::move(left));
    writeNode(tag, lower);
    writeNode(tag, n);
    if (level == 0) {
        auto root = std::make_unique<Node>();
        root->page = allocatePage(tag);
        root->items.push_back({lower.page, separator, separatorSortKey});
        root->right = n.page;
        writeNode(tag, *root);
        m_state[std::size_t(tag)].root = root->page;
        m_nodes.emplace(root->page, std::move(root));
        return;
    }
    insertAt(tag, path, level - 1, int(path[level - 1].index), lower.page, separator, separatorSortKey);
}

void MdxIndex::insert(int tag, const QByteArray& key, quint32 record) {
    refreshForWrite(tag);
    Target t = target(tag, key, record);
    std::vector<Step> path = descend(tag, t);
    insertAt(tag, path, path.size() - 1, int(path.back().index), record, t.key, t.sortKey);
    writeTagState(tag);
}

bool MdxIndex::remove(int tag, const QByteArray& key, quint32 record) {
    refreshForWrite(tag);
    Target t = target(tag, key, record);
    std::vector<Step> path = descend(tag, t);
    if (!settle(tag, path)) {
        return false;
    }
    Node& leaf = *path.back().node;
    auto at = leaf.items.begin() + std::ptrdiff_t(path.back().index);
    if (at->key != t.key || at->pointer != record) {
        return false;
    }
    // Interior keys stay as they are: they remain upper bounds of their children.
    leaf.items.erase(at);
    writeNode(tag, leaf);
    writeTagState(tag);
    return true;
}

namespace {

// The order of a tag's keys as met in a walk, each key compared only with the one before it: byte-equal
// keys are equal without consulting the collation, which decides only between keys that differ.
class KeyOrderCheck {
public:
    KeyOrderCheck(const KeyCollation& collation, const platform::AnsiCodec& codec, int keyLength)
        : m_collation(collation), m_codec(codec), m_length(std::size_t(keyLength)) {}

    // Interior keys may equal their neighbours; leaf entries must rise in (key, record).
    bool next(const char* key, bool leaf, quint32 record) {
        if (m_hasPrevious && std::memcmp(key, m_previous.data(), m_length) != 0) {
            decode(key, m_text);
            int c = m_collation.compare(m_text, m_previousText);
            if (c == 0) {
                c = compareBytes(QByteArrayView(key, qsizetype(m_length)), m_previous);
            }
            if (c < 0) {
                return false;
            }
            std::swap(m_text, m_previousText);
        } else if (!m_hasPrevious) {
            decode(key, m_previousText);
        }
        if (leaf) {
            if (m_hasLeaf && std::memcmp(key, m_leafKey.data(), m_length) == 0 && record <= m_leafRecord) {
                return false;
            }
            m_leafKey.assign(key, key + m_length);
            m_leafRecord = record;
            m_hasLeaf = true;
        }
        m_previous.assign(key, key + m_length);
        m_hasPrevious = true;
        return true;
    }

private:
    void decode(const char* key, std::u16string& text) const {
        text.resize(m_length);
        for (std::size_t i = 0; i < m_length; ++i) {
            text[i] = m_codec.decodeByte(quint8(key[i]));
        }
    }

    const KeyCollation& m_collation;
    const platform::AnsiCodec& m_codec;
    std::size_t m_length;
    bool m_hasPrevious = false;
    std::string m_previous;
    std::u16string m_previousText;
    std::u16string m_text;
    bool m_hasLeaf = false;
    std::string m_leafKey;
    quint32 m_leafRecord = 0;
};

}  // namespace

bool MdxIndex::checkEntries(int tag, const EntryVisitor& visit) {
    try {
        refresh(tag);
        m_nodes.clear();
        const Tag& t = m_tags[std::size_t(tag)];
        if (t.keyFormat != kKeyFormat || t.keyType != 'C' || t.itemLength != itemLengthFor(t.keyLength) ||
            t.maxKeys != (kBlock - 12) / t.itemLength) {
            return false;
        }
        // An interior node on the path, with the child to enter next (its last child is `right`).
        struct Frame {
            QByteArray block;
            quint32 count;
            int depth;
            quint32 next = 0;
        };
        std::vector<bool> visited(m_pageCount, false);
        std::vector<Frame> path;
        KeyOrderCheck order(m_collation, m_codec, t.keyLength);
        int leafDepth = -1;
        const auto item = [&](const QByteArray& block, quint32 i) {
            return block.constData() + 8 + qint64(i) * t.itemLength;
        };
        // Reads one node; a leaf is checked and visited at once, an interior node goes on the path.
        const auto enter = [&](quint32 page, int depth) {
            if (depth >= kMaxDepth || page < kHeaderPages || page + 2 > m_pageCount || visited[page]) {
                return false;
            }
            visited[page] = true;
            QByteArray block = m_file.readAt(qint64(page) * kPage, kBlock);
            if (block.size() != kBlock) {
                return false;
            }
            const quint32 count = u32(block.constData());
            if (count > quint32(t.maxKeys)) {
                return false;
            }
            if (u32(item(block, count)) != 0) {
                path.push_back({std::move(block), count, depth});
                return true;
            }
            if (leafDepth < 0) {
                leafDepth = depth;
            }
            if (depth != leafDepth) {
                return false;
            }
            for (quint32 i = 0; i < count; ++i) {
                const char* at = item(block, i);
                if (!order.next(at + 4, true, u32(at)) || !visit(at + 4, u32(at))) {
                    return false;
                }
            }
            return true;
        };
        // In key order every separator lies between the subtrees on its two sides.
        if (!enter(m_state[std::size_t(tag)].root, 0)) {
            return false;
        }
        while (!path.empty()) {
            Frame& frame = path.back();
            if (frame.next > frame.count) {
                path.pop_back();
                continue;
            }
            const quint32 i = frame.next++;
            if (i > 0 && !order.next(item(frame.block, i - 1) + 4, false, 0)) {
                return false;
            }
            if (!enter(u32(item(frame.block, i)), frame.depth + 1)) {
                return false;
            }
        }
        return true;
    } catch (const DbfError&) {
        return false;
    }
}

}  // namespace tervalo::state::dbf
