#include "memtable/MemTable.h"

#include <algorithm>

namespace tervalo::memtable {

namespace {

QString typeName(FieldType type) {
    switch (type) {
        case FieldType::Text:
            return QStringLiteral("text");
        case FieldType::Float:
            return QStringLiteral("float");
        case FieldType::Boolean:
            return QStringLiteral("boolean");
        case FieldType::Integer:
            return QStringLiteral("integer");
        case FieldType::Memo:
            return QStringLiteral("memo");
    }
    return {};
}

bool isTextual(FieldType type) {
    return type == FieldType::Text || type == FieldType::Memo;
}

}  // namespace

MemTable::MemTable(QString name, const platform::SystemLocale& locale)
    : m_name(std::move(name)), m_collator(locale.collator()) {}

MemTable::~MemTable() {
    if (m_master) {
        std::erase(m_master->m_details, this);
    }
    for (MemTable* detail : m_details) {
        detail->m_master = nullptr;
        detail->m_viewValid = false;
    }
}

// ---- Structure

void MemTable::addField(const QString& name, FieldType type, int size) {
    if (m_open) {
        throw MemTableError(m_name, QStringLiteral("fields can only be added to a closed table"));
    }
    if (fieldIndex(name) >= 0) {
        throw MemTableError(m_name, QStringLiteral("field '%1' is defined twice").arg(name));
    }
    if (type == FieldType::Text && (size < 1 || size > TextArena::kMaxLength)) {
        throw MemTableError(
            m_name,
            QStringLiteral("text field '%1' needs a size from 1 to %2").arg(name).arg(TextArena::kMaxLength));
    }
    m_store.addColumn(FieldDef{name, type, type == FieldType::Text ? size : 0});
}

int MemTable::fieldIndex(QStringView name) const {
    for (int f = 0; f < fieldCount(); ++f) {
        if (name.compare(fieldDef(f).name, Qt::CaseInsensitive) == 0) {
            return f;
        }
    }
    return -1;
}

int MemTable::field(QStringView name) const {
    int f = fieldIndex(name);
    if (f < 0) {
        throw MemTableError(m_name, QStringLiteral("field '%1' not found").arg(name));
    }
    return f;
}

TableIndex* MemTable::findIndex(QStringView name) {
    for (auto& index : m_indexes) {
        if (!index.hidden() && name.compare(index.name(), Qt::CaseInsensitive) == 0) {
            return &index;
        }
    }
    return nullptr;
}

void MemTable::addIndex(const QString& name, QStringView fieldName) {
    if (name.isEmpty() || findIndex(name)) {
        throw MemTableError(m_name, QStringLiteral("index name '%1' is empty or taken").arg(name));
    }
    int f = field(fieldName);
    if (fieldDef(f).type == FieldType::Memo) {
        throw MemTableError(m_name, QStringLiteral("memo field '%1' cannot be indexed").arg(fieldName));
    }
    m_indexes.emplace_back(name, f, false);
}

QStringList MemTable::indexNames() const {
    QStringList names;
    for (const auto& index : m_indexes) {
        if (!index.hidden()) {
            names.append(index.name());
        }
    }
    return names;
}

void MemTable::setCurrentIndex(QStringView name) {
    requireBrowse();
    int chosen = -1;
    if (!name.isEmpty()) {
        TableIndex* index = findIndex(name);
        if (!index) {
            throw MemTableError(m_name, QStringLiteral("index '%1' not found").arg(name));
        }
        chosen = int(index - m_indexes.data());
    }
    if (chosen == m_currentIndex) {
        return;
    }
    beginViewChange();
    m_currentIndex = chosen;
    invalidateView();
    endViewChange();
}

QString MemTable::currentIndex() const {
    return m_currentIndex < 0 ? QString() : m_indexes[std::size_t(m_currentIndex)].name();
}

// ---- Lifecycle

void MemTable::open() {
    if (m_open) {
        return;
    }
    beginViewChange();
    m_open = true;
    invalidateView();
    endViewChange();
}

void MemTable::close() {
    if (!m_open) {
        return;
    }
    beginViewChange();
    m_store.clear();
    for (auto& index : m_indexes) {
        index.clear();
    }
    m_state = State::Browse;
    m_buffer.clear();
    m_modified.clear();
    m_current = -1;
    m_open = false;
    ++m_generation;
    invalidateView();
    endViewChange();
}

void MemTable::requireOpen() const {
    if (!m_open) {
        throw MemTableError(m_name, QStringLiteral("the table is closed"));
    }
}

void MemTable::requireBrowse() const {
    if (m_state != State::Browse) {
        throw MemTableError(m_name, QStringLiteral("the table is in edit or insert mode"));
    }
}

int MemTable::checkedField(int field) const {
    if (field < 0 || field >= fieldCount()) {
        throw MemTableError(m_name, QStringLiteral("field number %1 out of range").arg(field));
    }
    return field;
}

void MemTable::requireType(int field, FieldType type) const {
    FieldType actual = fieldDef(checkedField(field)).type;
    bool fits = actual == type || (isTextual(type) && isTextual(actual));
    if (!fits) {
        throw MemTableError(m_name, QStringLiteral("field '%1' is %2, not %3")
                                        .arg(fieldDef(field).name, typeName(actual), typeName(type)));
    }
}

QVariant MemTable::normalise(int field, const QVariant& value) const {
    if (value.isNull()) {
        return {};
    }
    const FieldDef& def = fieldDef(field);
    bool ok = true;
    QVariant result;
    switch (def.type) {
        case FieldType::Text:
        case FieldType::Memo: {
            if (!value.canConvert<QString>()) {
                ok = false;
                break;
            }
            QString text = value.toString();
            if (def.type == FieldType::Text) {
                text.truncate(def.size);
            }
            return text.isEmpty() ? QVariant() : QVariant(text);
        }
        case FieldType::Float:
            result = value.toDouble(&ok);
            break;
        case FieldType::Integer:
            result = value.toInt(&ok);
            break;
        case FieldType::Boolean:
            if (value.typeId() == QMetaType::Bool) {
                result = value.toBool();
            } else if (value.typeId() == QMetaType::QString) {
                const QString text = value.toString();
                ok = text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
                     text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0;
                result = text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
            } else {
                ok = false;
            }
            break;
    }
    if (!ok) {
        throw MemTableError(m_name, QStringLiteral("value '%1' does not fit %2 field '%3'")
                                        .arg(value.toString(), typeName(def.type), def.name));
    }
    return result;
}

// ---- Editing

void MemTable::append() {
    requireOpen();
    requireBrowse();
    m_buffer.assign(std::size_t(fieldCount()), QVariant());
    m_modified.assign(std::size_t(fieldCount()), false);
    m_state = State::Insert;
}

void MemTable::edit() {
    requireOpen();
    requireBrowse();
    RowId row = currentRow();
    if (row < 0) {
        throw MemTableError(m_name, QStringLiteral("no current row to edit"));
    }
    m_buffer.clear();
    for (int f = 0; f < fieldCount(); ++f) {
        m_buffer.push_back(m_store.value(row, f));
    }
    m_modified.assign(std::size_t(fieldCount()), false);
    m_editRow = row;
    m_state = State::Edit;
}

void MemTable::cancel() {
    if (m_appendingRow) {
        m_store.removeLastRow();
        m_appendingRow = false;
    }
    m_state = State::Browse;
    m_buffer.clear();
    m_modified.clear();
}

void MemTable::appendRow() {
    requireOpen();
    requireBrowse();
    m_store.appendRow();
    m_appendingRow = true;
    m_state = State::Insert;
}

void MemTable::rowAppendMisuse(int field, FieldType type) const {
    if (!m_appendingRow) {
        throw MemTableError(m_name, QStringLiteral("no row started by appendRow()"));
    }
    requireType(field, type);
    throw MemTableError(m_name,
                        QStringLiteral("field '%1' is not of the type put").arg(fieldDef(field).name));
}

void MemTable::putText(int field, QStringView text) {
    // A memo field takes a text as well.
    const bool memo =
        m_appendingRow && field >= 0 && field < fieldCount() && fieldDef(field).type == FieldType::Memo;
    const RowId row = appendedRow(field, memo ? FieldType::Memo : FieldType::Text);
    m_store.setText(row, field, memo ? text : text.left(fieldDef(field).size));
}

void MemTable::setValue(int field, const QVariant& value) {
    requireOpen();
    if (m_state == State::Browse) {
        throw MemTableError(m_name, QStringLiteral("the table is not in edit or insert mode"));
    }
    checkedField(field);
    m_buffer[std::size_t(field)] = normalise(field, value);
    m_modified[std::size_t(field)] = true;
}

void MemTable::post() {
    requireOpen();
    if (m_appendingRow) {
        m_appendingRow = false;
        m_state = State::Browse;
        showInsertedRow(m_store.rowCount() - 1);
    } else if (m_state == State::Insert) {
        postInsert();
    } else if (m_state == State::Edit) {
        postEdit();
    } else {
        throw MemTableError(m_name, QStringLiteral("the table is not in edit or insert mode"));
    }
    cancel();
}

void MemTable::postInsert() {
    const RowId row = m_store.rowCount();
    m_store.appendRow();
    for (int f = 0; f < fieldCount(); ++f) {
        if (m_modified[std::size_t(f)]) {
            m_store.set(row, f, m_buffer[std::size_t(f)]);
        }
    }
    m_state = State::Browse;
    showInsertedRow(row);
}

// A row was added to the store: the view takes it in, and it becomes current.
void MemTable::showInsertedRow(RowId row) {
    if (!watched() || !m_viewValid || (m_master && m_master->currentRow() != m_viewMasterRow)) {
        // Nobody looks, or the view is stale anyway: the view and the indexes catch up when next
        // used. The posted row becomes current; should it be out of view, the rebuilt view starts at
        // its first row.
        beginViewChange();
        m_current = row;
        if (m_master) {
            m_viewMasterRow = m_master->currentRow();  // the posted row, not a master move, decides
        }
        invalidateView();
        endViewChange();
        return;
    }
    if (!inView(row)) {
        first();
        return;
    }
    int position = row;
    if (m_viewKind == ViewKind::IndexOrder) {
        const auto& order = m_indexes[std::size_t(m_currentIndex)].rows();
        position = int(std::upper_bound(order.begin(), order.end(), row,
                                        [this](RowId a, RowId b) { return orderLess(a, b); }) -
                       order.begin());
    } else if (m_viewKind == ViewKind::Rows) {
        position = int(std::upper_bound(m_viewRows.begin(), m_viewRows.end(), row,
                                        [this](RowId a, RowId b) { return orderLess(a, b); }) -
                       m_viewRows.begin());
    }
    const auto observers = m_observers;
    for (auto* observer : observers) {
        observer->rowAboutToBeInserted(position);
    }
    if (m_viewKind == ViewKind::AppendOrder) {
        ++m_appendOrderCount;
    } else if (m_viewKind == ViewKind::IndexOrder) {
        m_indexes[std::size_t(m_currentIndex)].insertRow(row, m_store, m_collator);
    } else {
        m_viewRows.insert(m_viewRows.begin() + position, row);
    }
    if (m_currentPosition >= position) {
        ++m_currentPosition;
    }
    for (auto* observer : observers) {
        observer->rowInserted(position);
    }
    m_bof = m_eof = false;
    setCurrent(row, position);
}

void MemTable::postEdit() {
    const RowId row = m_editRow;
    auto modified = [this](int f) { return f >= 0 && m_modified[std::size_t(f)]; };
    const bool viewAffected =
        (m_currentIndex >= 0 && modified(m_indexes[std::size_t(m_currentIndex)].field())) ||
        (m_filtered && modified(m_filterField)) || (m_master && modified(m_detailField));
    const bool detailsAffected = std::any_of(m_details.begin(), m_details.end(),
                                             [&](const MemTable* d) { return modified(d->m_masterField); });
    if (viewAffected) {
        beginViewChange();
    }
    std::vector<std::size_t> reindex;
    for (std::size_t i = 0; i < m_indexes.size(); ++i) {
        if (modified(m_indexes[i].field()) && m_indexes[i].removeRow(row)) {
            reindex.push_back(i);
        }
    }
    for (int f = 0; f < fieldCount(); ++f) {
        if (modified(f)) {
            m_store.set(row, f, m_buffer[std::size_t(f)]);
        }
    }
    for (std::size_t i : reindex) {
        m_indexes[i].insertRow(row, m_store, m_collator);
    }
    m_state = State::Browse;
    if (viewAffected) {
        invalidateView();
        endViewChange();
        return;
    }
    if (watched()) {
        const int position = positionOf(row);
        const auto observers = m_observers;
        for (auto* observer : observers) {
            observer->rowChanged(position);
        }
    } else {
        beginViewChange();  // a pending reset, when views are suspended
    }
    if (detailsAffected) {
        for (MemTable* detail : m_details) {
            detail->masterMoved();
        }
    }
}

// ---- Values

QVariant MemTable::value(int field) const {
    checkedField(field);
    if (m_state != State::Browse) {
        return m_buffer[std::size_t(field)];
    }
    RowId row = currentRow();
    return row < 0 ? QVariant() : m_store.value(row, field);
}

QString MemTable::text(int field) const {
    requireType(field, FieldType::Text);
    return value(field).toString();
}

double MemTable::floatValue(int field) const {
    requireType(field, FieldType::Float);
    return value(field).toDouble();
}

int MemTable::intValue(int field) const {
    requireType(field, FieldType::Integer);
    return value(field).toInt();
}

bool MemTable::boolValue(int field) const {
    requireType(field, FieldType::Boolean);
    return value(field).toBool();
}

void MemTable::requireRow(RowId row) const {
    if (row < 0 || row >= m_store.rowCount()) {
        throw MemTableError(m_name, QStringLiteral("row %1 out of range").arg(row));
    }
}

QVariant MemTable::value(RowId row, int field) const {
    requireRow(row);
    return m_store.value(row, checkedField(field));
}

bool MemTable::isNull(RowId row, int field) const {
    requireRow(row);
    return m_store.isNull(row, checkedField(field));
}

QString MemTable::text(RowId row, int field) const {
    requireRow(row);
    requireType(field, FieldType::Text);
    return m_store.text(row, field).toString();
}

double MemTable::floatValue(RowId row, int field) const {
    requireRow(row);
    requireType(field, FieldType::Float);
    return m_store.floatAt(row, field);
}

int MemTable::intValue(RowId row, int field) const {
    requireRow(row);
    requireType(field, FieldType::Integer);
    return m_store.intAt(row, field);
}

bool MemTable::boolValue(RowId row, int field) const {
    requireRow(row);
    requireType(field, FieldType::Boolean);
    return m_store.boolAt(row, field);
}

// ---- The view

bool MemTable::orderLess(RowId a, RowId b) const {
    if (m_currentIndex >= 0) {
        int c = m_store.compare(m_indexes[std::size_t(m_currentIndex)].field(), a, b, m_collator);
        if (c != 0) {
            return c < 0;
        }
    }
    return a < b;
}

RowId MemTable::masterRow() const {
    return m_master ? m_master->currentRow() : -1;
}

void MemTable::ensureView() const {
    if (m_viewValid && (!m_master || masterRow() == m_viewMasterRow)) {
        return;
    }
    buildView();
}

void MemTable::buildView() const {
    const RowId master = masterRow();
    const bool masterChanged = m_master && master != m_viewMasterRow;
    m_viewMasterRow = master;
    m_viewRows.clear();
    TableIndex* index = m_currentIndex >= 0 ? &m_indexes[std::size_t(m_currentIndex)] : nullptr;
    if (m_master) {
        m_viewKind = ViewKind::Rows;
        if (master >= 0) {
            const QVariant key = normalise(m_detailField, m_master->value(master, m_masterField));
            const auto& order = m_indexes[std::size_t(m_linkIndex)].order(m_store, m_collator);
            auto below = [&](RowId row, const QVariant& k) {
                return m_store.compareToKey(m_detailField, row, k, m_collator) < 0;
            };
            auto above = [&](const QVariant& k, RowId row) {
                return m_store.compareToKey(m_detailField, row, k, m_collator) > 0;
            };
            auto begin = std::lower_bound(order.begin(), order.end(), key, below);
            auto end = std::upper_bound(begin, order.end(), key, above);
            for (auto it = begin; it != end; ++it) {
                if (!m_filtered || m_store.equalsKey(m_filterField, *it, m_filterValue)) {
                    m_viewRows.push_back(*it);
                }
            }
            if (index && index->field() != m_detailField) {
                std::sort(m_viewRows.begin(), m_viewRows.end(),
                          [this](RowId a, RowId b) { return orderLess(a, b); });
            }
        }
    } else if (m_filtered) {
        m_viewKind = ViewKind::Rows;
        auto keep = [this](RowId row) { return m_store.equalsKey(m_filterField, row, m_filterValue); };
        if (index) {
            for (RowId row : index->order(m_store, m_collator)) {
                if (keep(row)) {
                    m_viewRows.push_back(row);
                }
            }
        } else {
            for (RowId row = 0; row < m_store.rowCount(); ++row) {
                if (keep(row)) {
                    m_viewRows.push_back(row);
                }
            }
        }
    } else if (index) {
        m_viewKind = ViewKind::IndexOrder;
        index->order(m_store, m_collator);
    } else {
        m_viewKind = ViewKind::AppendOrder;
        m_appendOrderCount = m_store.rowCount();
    }
    m_viewValid = true;
    m_currentPosition = -1;
    if (masterChanged || m_current < 0 || !inView(m_current)) {
        m_current = recordCount() > 0 ? rowAt(0) : -1;
        m_currentPosition = m_current < 0 ? -1 : 0;
        m_bof = true;
        m_eof = m_current < 0;
    } else {
        m_bof = m_eof = false;  // only navigation sets them on a row
    }
}

bool MemTable::inView(RowId row) const {
    if (row < 0 || row >= m_store.rowCount()) {
        return false;
    }
    if (m_filtered && !m_store.equalsKey(m_filterField, row, m_filterValue)) {
        return false;
    }
    if (m_master) {
        if (m_viewMasterRow < 0) {
            return false;
        }
        const QVariant key = normalise(m_detailField, m_master->value(m_viewMasterRow, m_masterField));
        return m_store.equalsKey(m_detailField, row, key);
    }
    return true;
}

int MemTable::recordCount() const {
    if (!m_open) {
        return 0;
    }
    ensureView();
    switch (m_viewKind) {
        case ViewKind::AppendOrder:
            return m_appendOrderCount;
        case ViewKind::IndexOrder:
            return int(m_indexes[std::size_t(m_currentIndex)].rows().size());
        case ViewKind::Rows:
            return int(m_viewRows.size());
    }
    return 0;
}

RowId MemTable::rowAt(int position) const {
    if (position < 0 || position >= recordCount()) {
        return -1;
    }
    switch (m_viewKind) {
        case ViewKind::AppendOrder:
            return position;
        case ViewKind::IndexOrder:
            return m_indexes[std::size_t(m_currentIndex)].rows()[std::size_t(position)];
        case ViewKind::Rows:
            return m_viewRows[std::size_t(position)];
    }
    return -1;
}

int MemTable::positionOf(RowId row) const {
    if (!m_open) {
        return -1;
    }
    ensureView();
    if (!inView(row)) {
        return -1;
    }
    auto less = [this](RowId a, RowId b) { return orderLess(a, b); };
    switch (m_viewKind) {
        case ViewKind::AppendOrder:
            return row;
        case ViewKind::IndexOrder: {
            const auto& order = m_indexes[std::size_t(m_currentIndex)].rows();
            return int(std::lower_bound(order.begin(), order.end(), row, less) - order.begin());
        }
        case ViewKind::Rows:
            return int(std::lower_bound(m_viewRows.begin(), m_viewRows.end(), row, less) -
                       m_viewRows.begin());
    }
    return -1;
}

RowId MemTable::currentRow() const {
    if (!m_open) {
        return -1;
    }
    ensureView();
    return m_current;
}

int MemTable::currentPosition() const {
    RowId row = currentRow();
    if (row >= 0 && m_currentPosition < 0) {
        m_currentPosition = positionOf(row);
    }
    return row < 0 ? -1 : m_currentPosition;
}

bool MemTable::bof() const {
    if (!m_open) {
        return true;
    }
    ensureView();
    return m_bof;
}

bool MemTable::eof() const {
    if (!m_open) {
        return true;
    }
    ensureView();
    return m_eof;
}

// ---- Navigation

void MemTable::first() {
    requireOpen();
    requireBrowse();
    setCurrent(rowAt(0), recordCount() > 0 ? 0 : -1);
    m_bof = true;
    m_eof = recordCount() == 0;
}

void MemTable::last() {
    requireOpen();
    requireBrowse();
    const int count = recordCount();
    setCurrent(rowAt(count - 1), count - 1);
    m_bof = count == 0;
    m_eof = true;
}

void MemTable::next() {
    requireOpen();
    requireBrowse();
    const int position = currentPosition();
    if (position < 0 || position + 1 >= recordCount()) {
        m_eof = true;
        m_bof = m_bof || position < 0;
        return;
    }
    setCurrent(rowAt(position + 1), position + 1);
    m_bof = m_eof = false;
}

void MemTable::prior() {
    requireOpen();
    requireBrowse();
    const int position = currentPosition();
    if (position <= 0) {
        m_bof = true;
        m_eof = m_eof || position < 0;
        return;
    }
    setCurrent(rowAt(position - 1), position - 1);
    m_bof = m_eof = false;
}

bool MemTable::moveTo(int position) {
    requireOpen();
    requireBrowse();
    RowId row = rowAt(position);
    if (row < 0) {
        return false;
    }
    setCurrent(row, position);
    m_bof = m_eof = false;
    return true;
}

bool MemTable::moveToRow(RowId row) {
    requireOpen();
    requireBrowse();
    const int position = positionOf(row);
    if (position < 0) {
        return false;
    }
    setCurrent(row, position);
    m_bof = m_eof = false;
    return true;
}

bool MemTable::gotoBookmark(const Bookmark& bookmark) {
    return bookmark.generation == m_generation && moveToRow(bookmark.row);
}

bool MemTable::findKey(const QVariant& value) {
    requireOpen();
    requireBrowse();
    if (m_currentIndex < 0) {
        throw MemTableError(m_name, QStringLiteral("findKey needs a current index"));
    }
    const int field = m_indexes[std::size_t(m_currentIndex)].field();
    const QVariant key = normalise(field, value);
    ensureView();
    const std::vector<RowId>& rows =
        m_viewKind == ViewKind::Rows ? m_viewRows : m_indexes[std::size_t(m_currentIndex)].rows();
    auto found = std::lower_bound(rows.begin(), rows.end(), key, [&](RowId row, const QVariant& k) {
        return m_store.compareToKey(field, row, k, m_collator) < 0;
    });
    if (found == rows.end() || !m_store.equalsKey(field, *found, key)) {
        return false;
    }
    setCurrent(*found, int(found - rows.begin()));
    m_bof = m_eof = false;
    return true;
}

// ---- Filter and master link

void MemTable::setFilter(QStringView fieldName, const QVariant& value) {
    requireBrowse();
    const int f = field(fieldName);
    const QVariant normalised = normalise(f, value);
    if (!m_filtered) {
        m_filterField = f;
        m_filterValue = normalised;
        return;
    }
    beginViewChange();
    m_filterField = f;
    m_filterValue = normalised;
    invalidateView();
    endViewChange();
}

void MemTable::setFiltered(bool on) {
    requireBrowse();
    if (on == m_filtered) {
        return;
    }
    if (on && m_filterField < 0) {
        throw MemTableError(m_name, QStringLiteral("no filter has been set"));
    }
    beginViewChange();
    m_filtered = on;
    invalidateView();
    endViewChange();
}

void MemTable::setMasterLink(MemTable* master, QStringView masterField, QStringView detailField) {
    requireBrowse();
    if (!master) {
        throw MemTableError(m_name, QStringLiteral("no master table given"));
    }
    const int masterF = master->field(masterField);
    const int detailF = field(detailField);
    const FieldType detailType = fieldDef(detailF).type;
    const FieldType masterType = master->fieldDef(masterF).type;
    if (detailType == FieldType::Memo ||
        (detailType != masterType && !(isTextual(detailType) && isTextual(masterType)))) {
        throw MemTableError(m_name, QStringLiteral("field '%1' cannot link to %2 field '%3'")
                                        .arg(detailField, typeName(masterType), masterField));
    }
    for (const MemTable* table = master; table; table = table->m_master) {
        if (table == this) {
            throw MemTableError(m_name, QStringLiteral("a table cannot be its own master"));
        }
    }
    beginViewChange();
    if (m_master) {
        std::erase(m_master->m_details, this);
    }
    m_master = master;
    m_masterField = masterF;
    m_detailField = detailF;
    m_linkIndex = -1;
    for (std::size_t i = 0; i < m_indexes.size() && m_linkIndex < 0; ++i) {
        if (m_indexes[i].field() == detailF) {
            m_linkIndex = int(i);
        }
    }
    if (m_linkIndex < 0) {
        m_indexes.emplace_back(QString(), detailF, true);
        m_linkIndex = int(m_indexes.size() - 1);
    }
    m_viewMasterRow = -1;
    master->m_details.push_back(this);
    invalidateView();
    endViewChange();
}

void MemTable::clearMasterLink() {
    if (!m_master) {
        return;
    }
    beginViewChange();
    std::erase(m_master->m_details, this);
    m_master = nullptr;
    invalidateView();
    endViewChange();
}

// ---- Notifications

void MemTable::invalidateView() {
    m_viewValid = false;
    m_currentPosition = -1;
    for (MemTable* detail : m_details) {
        detail->masterMoved();
    }
}

void MemTable::masterMoved() {
    beginViewChange();
    invalidateView();
    endViewChange();
}

void MemTable::beginViewChange() {
    if (m_observers.empty()) {
        return;
    }
    if (m_disableCount > 0) {
        m_resetPending = true;
        if (m_resetAnnounced) {
            return;
        }
        m_resetAnnounced = true;
    }
    const auto observers = m_observers;
    for (auto* observer : observers) {
        observer->viewAboutToBeReset();
    }
}

void MemTable::endViewChange() {
    if (!watched()) {
        return;
    }
    const auto observers = m_observers;
    for (auto* observer : observers) {
        observer->viewReset();
    }
    const int position = currentPosition();
    for (auto* observer : observers) {
        observer->currentRowChanged(position);
    }
}

void MemTable::setCurrent(RowId row, int position) {
    const bool moved = row != m_current;
    m_current = row;
    m_currentPosition = position;
    if (moved) {
        announceCurrent();
    }
}

void MemTable::announceCurrent() {
    if (!m_observers.empty()) {
        if (m_disableCount > 0) {
            m_currentPending = true;
        } else {
            const int position = currentPosition();
            const auto observers = m_observers;
            for (auto* observer : observers) {
                observer->currentRowChanged(position);
            }
        }
    }
    for (MemTable* detail : m_details) {
        detail->masterMoved();
    }
}

void MemTable::disableControls() {
    ++m_disableCount;
}

void MemTable::enableControls() {
    if (m_disableCount == 0 || --m_disableCount > 0) {
        return;
    }
    const bool reset = m_resetPending;
    const bool current = m_currentPending;
    m_resetPending = m_resetAnnounced = m_currentPending = false;
    if (reset) {
        endViewChange();
    } else if (current && !m_observers.empty()) {
        const int position = currentPosition();
        const auto observers = m_observers;
        for (auto* observer : observers) {
            observer->currentRowChanged(position);
        }
    }
}

void MemTable::addObserver(MemTableObserver* observer) {
    if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end()) {
        m_observers.push_back(observer);
    }
}

void MemTable::removeObserver(MemTableObserver* observer) {
    std::erase(m_observers, observer);
}

std::size_t MemTable::memoryBytes() const {
    std::size_t bytes = m_store.memoryBytes() + m_viewRows.capacity() * sizeof(RowId);
    for (const auto& index : m_indexes) {
        bytes += index.rows().capacity() * sizeof(RowId);
    }
    return bytes;
}

}  // namespace tervalo::memtable
