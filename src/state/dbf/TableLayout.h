#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <vector>

namespace tervalo::state::dbf {

// Table file (all integers little-endian):
//
//   Header, 32 bytes
//   | Off | Size | Content                                                          |
//   |   0 |    1 | version: low bits 3 = dBASE III/IV (2, 5 FoxPro; 4 dBASE 7); |0x88 with a memo |
//   |   1 |    3 | date of the last header write: year - 1900, month, day           |
//   |   4 |    4 | record count, deleted records included                           |
//   |   8 |    2 | header length: 32 + 32 * fields + 1                              |
//   |  10 |    2 | record length: 1 + sum of widths                                 |
//   |  28 |    1 | 1 while a production index (.mdx) exists                         |
//   |  29 |    1 | language driver                                                  |
//   Field descriptors, 32 bytes each from 32 (dBASE 7: 48 bytes each from 68)
//   |   0 |   11 | name, upper case, 0x00-filled (dBASE 7: 32)                      |
//   |  11 |    1 | type C, L, D or M (dBASE 7: at 32, width 33, decimals 34)        |
//   |  16 |    1 | width                                                            |
//   |  17 |    1 | decimal count                                                    |
//   0x0D after the last descriptor; records from the header length, numbered from 1, each a
//   deletion flag (space or '*') and the fields; 0x1A after the last record.

enum class TableFlavor { DBase3, DBase4, FoxPro, DBase7 };

struct FieldDef {
    QString name;  // upper case
    char type = 'C';
    int width = 0;
    int decimals = 0;
    int offset = 0;  // in the record, from 1
};

struct TableLayout {
    quint8 version = 0;
    TableFlavor flavor = TableFlavor::DBase4;
    quint32 recordCount = 0;
    int headerLength = 0;
    int recordLength = 0;
    bool hasProductionIndex = false;
    quint8 languageDriver = 0;
    std::vector<FieldDef> fields;

    bool hasMemo() const;
    int fieldIndex(QStringView name) const;  // -1 when absent; names match without regard to case
};

namespace TableHeader {
constexpr int prefixLength = 32;
constexpr int recordCountOffset = 4;
constexpr int productionIndexOffset = 28;
constexpr char endOfFile = 0x1A;

// Widths follow the type (L 1, D 8, M 10); names are upper-cased; offsets accumulate from 1.
std::vector<FieldDef> normalizedFields(const std::vector<FieldDef>& fields);

// A new, empty table file: header, descriptors, 0x0D and the end-of-file mark.
QByteArray newTableFile(const std::vector<FieldDef>& fields, quint8 languageDriver, bool hasProductionIndex,
                        const QDate& today);

// Bytes 1-7: date of this write and the record count.
QByteArray dateAndCount(const QDate& today, quint32 recordCount);

// The header length from the first 32 bytes; throws "Invalid DBF file." on a header that cannot be a table's.
int headerLengthOf(const QByteArray& prefix, const QString& path);
// Parses the whole header area (header length bytes).
TableLayout parse(const QByteArray& header, const QString& path);
}  // namespace TableHeader

}  // namespace tervalo::state::dbf
