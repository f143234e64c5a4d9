#include "state/dbf/TableLayout.h"

#include "state/dbf/DbfError.h"

#include <QtEndian>

namespace tervalo::state::dbf {

namespace {

constexpr int kDescriptorLength = 32;
constexpr int kDBase7HeaderLength = 68;
constexpr int kDBase7DescriptorLength = 48;
constexpr int kMaxFields = 4095;
constexpr char kDescriptorEnd = 0x0D;

quint16 u16(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}
quint32 u32(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

int widthOf(const FieldDef& field) {
    switch (field.type) {
        case 'L':
            return 1;
        case 'D':
            return 8;
        case 'M':
            return 10;
        default:
            return field.width;
    }
}

bool isKnownType(char type) {
    return type == 'C' || type == 'L' || type == 'D' || type == 'M';
}

}  // namespace

bool TableLayout::hasMemo() const {
    return std::any_of(fields.begin(), fields.end(), [](const FieldDef& f) { return f.type == 'M'; });
}

int TableLayout::fieldIndex(QStringView name) const {
    QStringView wanted = name.trimmed();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (wanted.compare(fields[i].name, Qt::CaseInsensitive) == 0) {
            return int(i);
        }
    }
    return -1;
}

namespace TableHeader {

std::vector<FieldDef> normalizedFields(const std::vector<FieldDef>& fields) {
    std::vector<FieldDef> result;
    int offset = 1;
    for (const auto& field : fields) {
        FieldDef f = field;
        f.name = field.name.trimmed().toUpper().left(10);
        f.width = widthOf(field);
        f.decimals = 0;
        f.offset = offset;
        offset += f.width;
        result.push_back(f);
    }
    return result;
}

QByteArray dateAndCount(const QDate& today, quint32 recordCount) {
    QByteArray bytes(7, '\0');
    bytes[0] = char(today.year() - 1900);
    bytes[1] = char(today.month());
    bytes[2] = char(today.day());
    qToLittleEndian<quint32>(recordCount, bytes.data() + 3);
    return bytes;
}

QByteArray newTableFile(const std::vector<FieldDef>& fieldDefs, quint8 languageDriver,
                        bool hasProductionIndex, const QDate& today) {
    std::vector<FieldDef> fields = normalizedFields(fieldDefs);
    const int headerLength = prefixLength + kDescriptorLength * int(fields.size()) + 1;
    int recordLength = 1;
    bool hasMemo = false;
    for (const auto& f : fields) {
        recordLength += f.width;
        hasMemo = hasMemo || f.type == 'M';
    }
    QByteArray bytes(headerLength + 1, '\0');
    bytes[0] = char(hasMemo ? 0x8B : 0x03);
    bytes.replace(1, 7, dateAndCount(today, 0));
    qToLittleEndian<quint16>(quint16(headerLength), bytes.data() + 8);
    qToLittleEndian<quint16>(quint16(recordLength), bytes.data() + 10);
    bytes[productionIndexOffset] = char(hasProductionIndex ? 1 : 0);
    bytes[29] = char(languageDriver);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        char* descriptor = bytes.data() + prefixLength + kDescriptorLength * int(i);
        QByteArray name = fields[i].name.toLatin1();
        memcpy(descriptor, name.constData(), std::size_t(name.size()));
        descriptor[11] = fields[i].type;
        descriptor[16] = char(fields[i].width);
        descriptor[17] = char(fields[i].decimals);
    }
    bytes[headerLength - 1] = kDescriptorEnd;
    bytes[headerLength] = endOfFile;
    return bytes;
}

int headerLengthOf(const QByteArray& prefix, const QString& path) {
    if (prefix.size() < prefixLength) {
        throw DbfError::invalidFile(path, prefix.size());
    }
    const int kind = quint8(prefix[0]) & 0x07;
    if (kind < 2 || kind > 5) {
        throw DbfError::invalidFile(path, 0);
    }
    const int headerLength = u16(prefix, 8);
    if (headerLength < (kind == 4 ? kDBase7HeaderLength : prefixLength) + 1 || u16(prefix, 10) < 1) {
        throw DbfError::invalidFile(path, 8);
    }
    return headerLength;
}

TableLayout parse(const QByteArray& header, const QString& path) {
    const int headerLength = headerLengthOf(header, path);
    if (header.size() < headerLength) {
        throw DbfError::invalidFile(path, header.size());
    }
    TableLayout layout;
    layout.version = quint8(header[0]);
    layout.recordCount = u32(header, recordCountOffset);
    layout.headerLength = headerLength;
    layout.recordLength = u16(header, 10);
    layout.hasProductionIndex = header[productionIndexOffset] != 0;
    layout.languageDriver = quint8(header[29]);
    switch (layout.version & 0x07) {
        case 2:
        case 5:
            layout.flavor = TableFlavor::FoxPro;
            break;
        case 4:
            layout.flavor = TableFlavor::DBase7;
            break;
        default:
            layout.flavor = layout.languageDriver != 0 ? TableFlavor::DBase4 : TableFlavor::DBase3;
    }

    const bool dBase7 = layout.flavor == TableFlavor::DBase7;
    const int first = dBase7 ? kDBase7HeaderLength : prefixLength;
    const int length = dBase7 ? kDBase7DescriptorLength : kDescriptorLength;
    const int nameLength = dBase7 ? 32 : 11;
    const int typeOffset = dBase7 ? 32 : 11;
    const int widthOffset = dBase7 ? 33 : 16;
    const int available = (headerLength - first) / length;
    int count = 0;
    while (count < available && header[first + count * length] != kDescriptorEnd) {
        ++count;
    }
    if (count < 1 || count > kMaxFields) {
        throw DbfError(QStringLiteral("Invalid field count: %1 (must be between 1 and 4095).").arg(count),
                       path, first);
    }
    int offset = 1;
    for (int i = 0; i < count; ++i) {
        const int at = first + i * length;
        QByteArray name = header.mid(at, nameLength);
        name.truncate(int(qstrnlen(name.constData(), std::size_t(nameLength))));
        FieldDef field;
        field.name = QString::fromLatin1(name).trimmed().toUpper();
        field.type = QChar::toUpper(char16_t(quint8(header[at + typeOffset]))) < 0x80
                         ? char(QChar::toUpper(char16_t(quint8(header[at + typeOffset]))))
                         : '\0';
        field.width = quint8(header[at + widthOffset]);
        field.decimals = quint8(header[at + widthOffset + 1]);
        field.offset = offset;
        if (field.name.isEmpty() || !isKnownType(field.type) || field.width == 0) {
            throw DbfError::invalidFile(path, at);
        }
        offset += field.width;
        layout.fields.push_back(field);
    }
    if (offset > layout.recordLength) {
        throw DbfError::invalidFile(path, 10);
    }
    return layout;
}

}  // namespace TableHeader

}  // namespace tervalo::state::dbf
