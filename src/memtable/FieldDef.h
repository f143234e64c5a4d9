#pragma once

#include <QString>

namespace tervalo::memtable {

// Row identity: the 0-based order in which rows were appended since the table was last opened.
// Rows are never removed one by one, so a row keeps its id until the table is closed.
using RowId = int;

enum class FieldType {
    Text,   // at most FieldDef::size characters; longer values are cut
    Float,  // double
    Boolean,
    Integer,  // 32-bit
    Memo,     // unbounded text
};

// Null rules, the same everywhere: a text or memo field is null exactly when it is empty; a number
// or boolean field is null until a value is set (and after setNull). Null reads as "", 0 or false,
// sorts before every value and equals only a null key.
struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;  // maximum length of a Text field, 1 to TextArena::kMaxLength
};

}  // namespace tervalo::memtable
