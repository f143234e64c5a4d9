#include "state/dbf/DbfTable.h"

#include "state/dbf/DbfError.h"
#include "state/dbf/KeyCollation.h"
#include "state/dbf/LanguageDriver.h"

#include "platform/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <thread>

namespace tervalo::state::dbf {

namespace {

constexpr int kMemoDigits = 10;
// How long an open that finds a damaged index waits for the other users of the table to leave
// before it gives up with "Exclusive access is required for this operation.".
constexpr int kExclusiveAttempts = 300;
constexpr int kRetryMs = 10;
// Records are read this many bytes at a time when a whole table is scanned.
constexpr qint64 kScanBytes = 1 << 20;

// Serialises the creation of tables in one folder between processes; held only while creating.
class FolderLock {
public:
    explicit FolderLock(const QString& folder) {
        m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_fd >= 0) {
            while (flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

// Replaces a whole file so that a crash or a power loss leaves the old file or the new one.
void replaceWholeFile(const QString& path, const QByteArray& bytes) {
    if (!platform::FileWrite::replaceDurably(path, bytes)) {
        throw DbfError(QStringLiteral("Cannot write file \"%1\": %2.")
                           .arg(path, QString::fromLocal8Bit(strerror(errno))),
                       path);
    }
}

QString icuLocaleOf(const platform::SystemLocale& locale) {
    return locale.settings().languageTag;
}

}  // namespace

DbfTable::DbfTable(const platform::SystemLocale& locale) : m_locale(locale) {}

DbfTable::~DbfTable() {
    close();
}

QString DbfTable::siblingPath(const char* extension) const {
    QFileInfo info(m_path);
    QString name = info.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) {
        name.truncate(dot);
    }
    return info.path() + QLatin1Char('/') + name + QLatin1String(extension);
}

void DbfTable::setIndexFieldNames(const QString& fieldName) {
    m_indexFieldName = fieldName.trimmed();
    m_active = -1;
    for (std::size_t i = 0; i < m_tags.size(); ++i) {
        if (m_tags[i].def.expression.trimmed().compare(m_indexFieldName, Qt::CaseInsensitive) == 0) {
            m_active = int(i);
        }
    }
}

void DbfTable::createFiles() {
    FolderLock folder(QFileInfo(m_path).path());
    if (QFileInfo::exists(m_path)) {
        return;  // another process created it meanwhile
    }
    const std::vector<FieldDef> fields = TableHeader::normalizedFields(m_fieldDefs);
    if (fields.empty() || fields.size() > 4095) {
        throw DbfError(QStringLiteral("Invalid field count: %1 (must be between 1 and 4095).")
                           .arg(qsizetype(fields.size())),
                       m_path);
    }
    const quint8 driver = chooseLanguageDriver(m_locale.ansiCodePage(), m_locale.localeId());
    const QDate today = QDate::currentDate();
    TableLayout layout;
    layout.fields = fields;
    layout.languageDriver = driver;

    // Each file replaces its name whole, the table file last: a table file never exists without its
    // memo and index, and a failed creation leaves no table behind (the next open creates it again).
    std::vector<std::pair<QString, QByteArray>> files;
    if (layout.hasMemo()) {
        files.emplace_back(siblingPath(".dbt"), MemoFile::newFileBytes());
    }
    if (!m_indexDefs.empty()) {
        const LanguageDriver* known = findLanguageDriver(driver);
        KeyCollation collation(known ? QString::fromLatin1(known->collation) : icuLocaleOf(m_locale));
        platform::AnsiCodec codec(known && platform::AnsiCodec::isSupported(known->codePage)
                                      ? known->codePage
                                      : m_locale.ansiCodePage());
        std::vector<TagContent> tags;
        for (const auto& def : m_indexDefs) {
            const int f = layout.fieldIndex(def.expression);
            if (f < 0 || fields[std::size_t(f)].type != 'C') {
                throw DbfError(QStringLiteral("Invalid index expression: %1.").arg(def.expression), m_path);
            }
            tags.push_back({def, fields[std::size_t(f)].width, {}});
        }
        files.emplace_back(siblingPath(".mdx"), MdxIndex::build(QFileInfo(m_path).fileName(), driver, tags,
                                                                today, collation, codec));
    }
    files.emplace_back(m_path, TableHeader::newTableFile(fields, driver, !m_indexDefs.empty(), today));
    for (const auto& [path, bytes] : files) {
        replaceWholeFile(path, bytes);
    }
}

void DbfTable::open(OpenMode mode, bool create) {
    close();
    m_openMode = mode;
    try {
        for (;;) {
            if (!QFileInfo::exists(m_path)) {
                if (!create) {
                    throw DbfError::fileNotFound(m_path);
                }
                createFiles();
            }
            std::optional<SharedFile> dat = SharedFile::openExisting(m_path);
            if (!dat) {
                continue;
            }
            m_dat = std::move(*dat);
            if (mode == OpenMode::Shared) {
                m_dat.lock(LockOffset::open, 1, LockMode::Shared);
            } else if (!m_dat.tryLock(LockOffset::open, 1, LockMode::Exclusive)) {
                throw DbfError::exclusiveAccessRequired(m_path);
            }
            m_openLock = ByteLock::adopt(m_dat, LockOffset::open);
            // A table replaced while this open waited for its lock is opened again under its name.
            if (m_dat.isStillAt(m_path)) {
                break;
            }
            m_openLock.release();
            m_dat.close();
        }
        readLayout();
        correctRecordCount();
        if (m_layout.hasMemo()) {
            QString memoPath = siblingPath(".dbt");
            const bool foxPro = m_layout.flavor == TableFlavor::FoxPro;
            if (foxPro && QFileInfo::exists(siblingPath(".fpt"))) {
                memoPath = siblingPath(".fpt");
            }
            m_memo.emplace(MemoFile::open(memoPath, foxPro && memoPath.endsWith(QLatin1String(".fpt"))));
        }
        if (!m_indexDefs.empty()) {
            openIndexes();
        }
        setIndexFieldNames(m_indexFieldName);
        first();
    } catch (...) {
        close();
        throw;
    }
}

void DbfTable::close() {
    if (isEditing()) {
        cancel();
    }
    m_index.reset();
    m_memo.reset();
    m_openLock.release();
    m_dat.close();
    m_tags.clear();
    m_active = -1;
    m_recNo = 0;
    m_record.clear();
}

void DbfTable::readLayout() {
    QByteArray prefix = m_dat.readAt(0, TableHeader::prefixLength);
    const int headerLength = TableHeader::headerLengthOf(prefix, m_path);
    m_layout = TableHeader::parse(m_dat.readExactly(0, headerLength), m_path);
    const LanguageDriver* known = findLanguageDriver(m_layout.languageDriver);
    const int codePage = known && platform::AnsiCodec::isSupported(known->codePage) ? known->codePage
                                                                                    : m_locale.ansiCodePage();
    m_codec.emplace(codePage);
    m_collation =
        std::make_unique<KeyCollation>(known ? QString::fromLatin1(known->collation) : icuLocaleOf(m_locale));
}

quint32 DbfTable::recordCount() const {
    QByteArray prefix = m_dat.readExactly(0, TableHeader::prefixLength);
    return qFromLittleEndian<quint32>(prefix.constData() + TableHeader::recordCountOffset);
}

void DbfTable::correctRecordCount() {
    // Under the append lock no other process is half-way through an append.
    ByteLock appendLock(m_dat, LockOffset::append, LockMode::Exclusive);
    ByteLock headerLock(m_dat, LockOffset::header, LockMode::Exclusive);
    const qint64 size = m_dat.size();
    const quint32 inFile =
        size > m_layout.headerLength ? quint32((size - m_layout.headerLength) / m_layout.recordLength) : 0;
    const quint32 inHeader = recordCount();
    m_layout.recordCount = inFile;
    if (inFile != inHeader) {
        m_dat.writeAt(1, TableHeader::dateAndCount(QDate::currentDate(), inFile));
        m_dat.writeAt(recordOffset(inFile + 1), QByteArray(1, TableHeader::endOfFile));
    }
}

qint64 DbfTable::recordOffset(quint32 record) const {
    return m_layout.headerLength + qint64(record - 1) * m_layout.recordLength;
}

QByteArray DbfTable::readRecord(quint32 record) const {
    return m_dat.readExactly(recordOffset(record), m_layout.recordLength);
}

QByteArray DbfTable::readAllRecords(quint32 count) const {
    return m_dat.readExactly(recordOffset(1), qint64(count) * m_layout.recordLength);
}

void DbfTable::visitRecords(quint32 count, const RecordVisitor& visit) const {
    const qint64 length = m_layout.recordLength;
    const quint32 perBlock = quint32(std::max<qint64>(1, kScanBytes / length));
    for (quint32 first = 1; first <= count; first += perBlock) {
        const quint32 n = std::min(perBlock, count - first + 1);
        const QByteArray block = m_dat.readExactly(recordOffset(first), qint64(n) * length);
        for (quint32 i = 0; i < n; ++i) {
            visit(first + i, block.constData() + qint64(i) * length);
        }
    }
}

void DbfTable::visitLiveRecords(const RecordVisitor& visit) const {
    ByteLock indexLock;
    if (m_index) {
        indexLock = ByteLock(m_index->file(), LockOffset::index, LockMode::Shared);
    }
    visitRecords(recordCount(), [&](quint32 record, const char* bytes) {
        if (bytes[0] != '*') {
            visit(record, bytes);
        }
    });
}

QByteArray DbfTable::keyOf(const QByteArray& record, const IndexTag& tag) const {
    const FieldDef& f = m_layout.fields[std::size_t(tag.field)];
    return record.mid(f.offset, f.width);
}

void DbfTable::openIndexes() {
    m_tags.clear();
    for (const auto& def : m_indexDefs) {
        const int f = m_layout.fieldIndex(def.expression);
        if (f < 0 || m_layout.fields[std::size_t(f)].type != 'C') {
            throw DbfError(QStringLiteral("Invalid index expression: %1.").arg(def.expression), m_path);
        }
        m_tags.push_back({def, f, -1});
    }
    if (openAndCheckIndexes()) {
        return;
    }
    rebuildIndexes();
}

bool DbfTable::openAndCheckIndexes() {
    m_index.reset();
    try {
        m_index = MdxIndex::open(siblingPath(".mdx"), *m_collation, *m_codec);
    } catch (const DbfError&) {
        return false;
    }
    if (!m_index) {
        return false;
    }
    for (auto& tag : m_tags) {
        tag.tag = m_index->findTag(tag.def.tagName);
        if (tag.tag < 0) {
            return false;
        }
        const MdxIndex::Tag& found = m_index->tags()[std::size_t(tag.tag)];
        if (found.expression.trimmed().compare(tag.def.expression, Qt::CaseInsensitive) != 0 ||
            found.keyLength != m_layout.fields[std::size_t(tag.field)].width) {
            return false;
        }
    }
    // The index must hold exactly one key per live record, equal to the record's key field, in order.
    // Only the key fields are kept, in record order, for the entries that arrive in key order.
    ByteLock appendLock(m_dat, LockOffset::append, LockMode::Exclusive);
    ByteLock indexLock(m_index->file(), LockOffset::index, LockMode::Shared);
    const quint32 count = recordCount();
    for (const auto& tag : m_tags) {
        const FieldDef& f = m_layout.fields[std::size_t(tag.field)];
        const std::size_t width = std::size_t(f.width);
        std::vector<char> keys(std::size_t(count) * width);
        std::vector<bool> deleted(std::size_t(count) + 1, false);
        std::size_t live = 0;
        visitRecords(count, [&](quint32 record, const char* bytes) {
            deleted[record] = bytes[0] == '*';
            live += !deleted[record];
            std::memcpy(keys.data() + (record - 1) * width, bytes + f.offset, width);
        });
        std::vector<bool> seen(std::size_t(count) + 1, false);
        std::size_t entries = 0;
        const bool agrees = m_index->checkEntries(tag.tag, [&](const char* key, quint32 record) {
            if (record < 1 || record > count || seen[record] || deleted[record]) {
                return false;
            }
            seen[record] = true;
            ++entries;
            return std::memcmp(key, keys.data() + (record - 1) * width, width) == 0;
        });
        if (!agrees || entries != live) {
            return false;
        }
    }
    indexLock.release();
    appendLock.release();
    if (!m_layout.hasProductionIndex) {
        writeHeaderByte28();
    }
    return true;
}

void DbfTable::writeHeaderByte28() {
    ByteLock headerLock(m_dat, LockOffset::header, LockMode::Exclusive);
    m_dat.writeAt(TableHeader::productionIndexOffset, QByteArray(1, '\1'));
    m_layout.hasProductionIndex = true;
}

void DbfTable::rebuildIndexes() {
    m_index.reset();
    // Nobody else may hold the index open while it is replaced: take the table exclusively, waiting a
    // while for other users to close it. Another process may have repaired it meanwhile.
    const bool wasShared = m_openMode == OpenMode::Shared;
    if (wasShared) {
        m_openLock.release();
        bool exclusive = false;
        for (int attempt = 0; attempt < kExclusiveAttempts && !exclusive; ++attempt) {
            exclusive = m_dat.tryLock(LockOffset::open, 1, LockMode::Exclusive);
            if (!exclusive) {
                std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
            }
        }
        if (!exclusive) {
            m_dat.lock(LockOffset::open, 1, LockMode::Shared);
            m_openLock = ByteLock::adopt(m_dat, LockOffset::open);
            if (openAndCheckIndexes()) {
                return;
            }
            throw DbfError::exclusiveAccessRequired(m_path);
        }
        m_openLock = ByteLock::adopt(m_dat, LockOffset::open);
        if (openAndCheckIndexes()) {
            m_dat.tryLock(LockOffset::open, 1, LockMode::Shared);
            return;
        }
        m_index.reset();
    }
    correctRecordCount();
    const quint32 count = m_layout.recordCount;
    const QByteArray records = readAllRecords(count);
    std::vector<TagContent> contents;
    for (const auto& tag : m_tags) {
        TagContent content{tag.def, m_layout.fields[std::size_t(tag.field)].width, {}};
        content.entries.reserve(count);
        for (quint32 r = 1; r <= count; ++r) {
            const QByteArray record =
                records.mid(qint64(r - 1) * m_layout.recordLength, m_layout.recordLength);
            if (record[0] != '*') {
                content.entries.push_back({keyOf(record, tag), r});
            }
        }
        contents.push_back(std::move(content));
    }
    const QString mdxPath = siblingPath(".mdx");
    replaceWholeFile(mdxPath, MdxIndex::build(QFileInfo(m_path).fileName(), m_layout.languageDriver, contents,
                                              QDate::currentDate(), *m_collation, *m_codec));
    writeHeaderByte28();
    m_index = MdxIndex::open(mdxPath, *m_collation, *m_codec);
    if (!m_index) {
        throw DbfError::fileNotFound(mdxPath);
    }
    for (auto& tag : m_tags) {
        tag.tag = m_index->findTag(tag.def.tagName);
    }
    if (wasShared) {
        m_dat.tryLock(LockOffset::open, 1, LockMode::Shared);  // converting down never conflicts
    }
}

void DbfTable::positionOn(quint32 record, const QByteArray& bytes) {
    m_recNo = record;
    m_record = bytes;
}

bool DbfTable::first() {
    if (isEditing()) {
        cancel();
    }
    if (m_active >= 0) {
        const IndexTag& tag = m_tags[std::size_t(m_active)];
        ByteLock indexLock(m_index->file(), LockOffset::index, LockMode::Shared);
        std::optional<IndexEntry> entry = m_index->findFrom(tag.tag, {}, 0);
        if (entry) {
            positionOn(entry->record, readRecord(entry->record));
            return true;
        }
    } else if (recordCount() > 0) {
        positionOn(1, readRecord(1));
        return true;
    }
    m_recNo = 0;
    m_record = QByteArray(m_layout.recordLength, ' ');
    return false;
}

bool DbfTable::next() {
    if (isEditing()) {
        cancel();
    }
    if (m_recNo == 0) {
        return false;
    }
    if (m_active >= 0) {
        const IndexTag& tag = m_tags[std::size_t(m_active)];
        ByteLock indexLock(m_index->file(), LockOffset::index, LockMode::Shared);
        std::optional<IndexEntry> entry = m_index->findFrom(tag.tag, keyOf(m_record, tag), m_recNo + 1);
        if (!entry) {
            return false;
        }
        positionOn(entry->record, readRecord(entry->record));
        return true;
    }
    if (m_recNo >= recordCount()) {
        return false;
    }
    positionOn(m_recNo + 1, readRecord(m_recNo + 1));
    return true;
}

bool DbfTable::useIndexFor(const QString& fieldName) const {
    return m_active >= 0 && m_tags[std::size_t(m_active)].def.expression == fieldName;
}

QByteArray DbfTable::encodeKey(const QString& value, int width) const {
    return m_codec->encode(value).left(width).leftJustified(width, ' ');
}

bool DbfTable::locate(const QString& fieldName, const QString& value) {
    if (isEditing()) {
        cancel();
    }
    const FieldDef& f = field(fieldName);
    if (useIndexFor(fieldName)) {
        const IndexTag& tag = m_tags[std::size_t(m_active)];
        ByteLock indexLock(m_index->file(), LockOffset::index, LockMode::Shared);
        std::optional<quint32> record = m_index->findEqual(tag.tag, encodeKey(value, f.width));
        if (!record) {
            return false;
        }
        positionOn(*record, readRecord(*record));
        return true;
    }
    const quint32 start = m_recNo;
    const QByteArray startRecord = m_record;
    for (bool more = first(); more; more = next()) {
        if (fieldText(fieldName).compare(value, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    positionOn(start, startRecord);
    return false;
}

bool DbfTable::locateForWrite(const QString& fieldName, const QString& value) {
    if (isEditing()) {
        cancel();
    }
    m_appendLock = ByteLock(m_dat, LockOffset::append, LockMode::Exclusive);
    try {
        if (locate(fieldName, value)) {
            m_appendLock.release();
            edit();
            return true;
        }
        append();
        return false;
    } catch (...) {
        m_appendLock.release();
        throw;
    }
}

void DbfTable::append() {
    if (m_mode == Mode::Edit) {
        cancel();
    }
    m_mode = Mode::Insert;
    m_record = QByteArray(m_layout.recordLength, ' ');
    m_pendingMemos.clear();
}

void DbfTable::edit() {
    if (m_mode != Mode::Browse) {
        return;
    }
    if (m_recNo == 0) {
        append();
        return;
    }
    if (!m_dat.tryLock(LockOffset::record(m_recNo), 1, LockMode::Exclusive)) {
        throw DbfError::recordLocked(m_path, m_recNo);
    }
    m_recordLock = ByteLock::adopt(m_dat, LockOffset::record(m_recNo));
    try {
        m_record = readRecord(m_recNo);
    } catch (...) {
        m_recordLock.release();
        throw;
    }
    m_original = m_record;
    m_pendingMemos.clear();
    m_mode = Mode::Edit;
}

void DbfTable::cancel() {
    if (m_mode == Mode::Edit) {
        m_record = m_original;
    } else if (m_mode == Mode::Insert && m_recNo != 0) {
        m_record = readRecord(m_recNo);
    }
    m_mode = Mode::Browse;
    m_pendingMemos.clear();
    m_recordLock.release();
    m_appendLock.release();
}

void DbfTable::writeMemos() {
    for (const auto& [index, text] : m_pendingMemos) {
        const FieldDef& f = m_layout.fields[std::size_t(index)];
        const quint32 old = m_record.mid(f.offset, f.width).trimmed().toUInt();
        const quint32 block = m_memo->write(text, old);
        m_record.replace(f.offset, f.width, QByteArray::number(block).rightJustified(kMemoDigits, '0'));
    }
    m_pendingMemos.clear();
}

void DbfTable::post() {
    if (m_mode == Mode::Edit) {
        postEdit();
    } else if (m_mode == Mode::Insert) {
        postInsert();
    }
}

void DbfTable::postEdit() {
    writeMemos();
    {
        ByteLock indexLock;
        if (m_index) {
            indexLock = ByteLock(m_index->file(), LockOffset::index, LockMode::Exclusive);
        }
        m_dat.writeAt(recordOffset(m_recNo), m_record);
        for (const auto& tag : m_tags) {
            const QByteArray before = keyOf(m_original, tag);
            const QByteArray after = keyOf(m_record, tag);
            const bool wasKeyed = m_original[0] != '*';
            const bool isKeyed = m_record[0] != '*';
            if (before == after && wasKeyed == isKeyed) {
                continue;
            }
            if (wasKeyed) {
                m_index->remove(tag.tag, before, m_recNo);
            }
            if (isKeyed) {
                m_index->insert(tag.tag, after, m_recNo);
            }
        }
    }
    m_mode = Mode::Browse;
    m_recordLock.release();
}

void DbfTable::postInsert() {
    if (!m_appendLock.isHeld()) {
        m_appendLock = ByteLock(m_dat, LockOffset::append, LockMode::Exclusive);
    }
    const qint64 size = m_dat.size();
    const quint32 inFile =
        size > m_layout.headerLength ? quint32((size - m_layout.headerLength) / m_layout.recordLength) : 0;
    quint32 record = std::max(recordCount(), inFile) + 1;
    while (!m_dat.tryLock(LockOffset::record(record), 1, LockMode::Exclusive)) {
        ++record;
    }
    m_recordLock = ByteLock::adopt(m_dat, LockOffset::record(record));
    writeMemos();
    {
        ByteLock indexLock;
        if (m_index) {
            indexLock = ByteLock(m_index->file(), LockOffset::index, LockMode::Exclusive);
        }
        m_dat.writeAt(recordOffset(record), m_record + QByteArray(1, TableHeader::endOfFile));
        {
            ByteLock headerLock(m_dat, LockOffset::header, LockMode::Exclusive);
            const quint32 count = std::max(recordCount(), record);
            m_dat.writeAt(1, TableHeader::dateAndCount(QDate::currentDate(), count));
            m_layout.recordCount = count;
        }
        for (const auto& tag : m_tags) {
            m_index->insert(tag.tag, keyOf(m_record, tag), record);
        }
    }
    m_recNo = record;
    m_mode = Mode::Browse;
    m_recordLock.release();
    m_appendLock.release();
}

const FieldDef& DbfTable::field(const QString& name) const {
    const int index = m_layout.fieldIndex(name);
    if (index < 0) {
        throw DbfError(QStringLiteral("Field '%1' not found.").arg(name), m_path);
    }
    return m_layout.fields[std::size_t(index)];
}

void DbfTable::requireEditing() const {
    if (m_mode == Mode::Browse) {
        throw DbfError(QStringLiteral("Table is not in edit mode."), m_path);
    }
}

QString DbfTable::fieldText(const QString& name) const {
    const FieldDef& f = field(name);
    switch (f.type) {
        case 'M':
            return memoText(name);
        case 'D': {
            const QDate date = fieldDate(name);
            return date.isValid() ? m_locale.formatShortDate(date) : QString();
        }
        default: {
            QByteArray bytes = m_record.mid(f.offset, f.width);
            int end = int(bytes.size());
            while (end > 0 && bytes[end - 1] == ' ') {
                --end;
            }
            return m_codec->decode(bytes.constData(), std::size_t(end));
        }
    }
}

void DbfTable::setFieldText(const QString& name, const QString& text) {
    const FieldDef& f = field(name);
    switch (f.type) {
        case 'M':
            setMemoText(name, text);
            return;
        case 'D':
            setFieldDate(name, m_locale.parseShortDate(text).value_or(QDate()));
            return;
        case 'L': {
            requireEditing();
            const QString t = text.trimmed();
            m_record[f.offset] = t.isEmpty() ? ' ' : QStringLiteral("TtYy").contains(t.front()) ? 'T' : 'F';
            return;
        }
        default:
            requireEditing();
            m_record.replace(f.offset, f.width, encodeKey(text, f.width));
    }
}

bool DbfTable::fieldFlag(const QString& name) const {
    const char value = m_record[field(name).offset];
    return value == 'T' || value == 't';
}

void DbfTable::setFieldFlag(const QString& name, bool value) {
    const FieldDef& f = field(name);
    requireEditing();
    m_record[f.offset] = value ? 'T' : 'F';
}

QDate DbfTable::fieldDate(const QString& name) const {
    const FieldDef& f = field(name);
    const QByteArray text = m_record.mid(f.offset, 8);
    bool okYear = false;
    bool okMonth = false;
    bool okDay = false;
    const QDate date(text.left(4).toInt(&okYear), text.mid(4, 2).toInt(&okMonth),
                     text.mid(6, 2).toInt(&okDay));
    return okYear && okMonth && okDay ? date : QDate();
}

void DbfTable::setFieldDate(const QString& name, const QDate& date) {
    const FieldDef& f = field(name);
    requireEditing();
    m_record.replace(
        f.offset, 8,
        date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")).toLatin1() : QByteArray(8, ' '));
}

bool DbfTable::isFieldEmpty(const QString& name) const {
    const FieldDef& f = field(name);
    if (f.type == 'M') {
        return memoText(name).isEmpty();
    }
    return m_record.mid(f.offset, f.width).trimmed().isEmpty();
}

QString DbfTable::memoText(const QString& name) const {
    const int index = m_layout.fieldIndex(name);
    if (auto pending = m_pendingMemos.find(index); pending != m_pendingMemos.end()) {
        return m_codec->decode(pending->second);
    }
    return memoText(name, m_record.constData());
}

QString DbfTable::memoText(const QString& name, const char* record) const {
    const FieldDef& f = field(name);
    const quint32 block = QByteArrayView(record + f.offset, f.width).trimmed().toUInt();
    if (block == 0 || !m_memo) {
        return {};
    }
    return m_codec->decode(m_memo->read(block));
}

void DbfTable::setMemoText(const QString& name, const QString& text) {
    const FieldDef& f = field(name);
    requireEditing();
    if (f.type != 'M') {
        throw DbfError(QStringLiteral("Field '%1' is not a memo field.").arg(name), m_path);
    }
    m_pendingMemos[m_layout.fieldIndex(name)] = m_codec->encode(text);
}

}  // namespace tervalo::state::dbf
