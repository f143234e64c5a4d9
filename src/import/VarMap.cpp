#include "import/VarMap.h"

namespace tervalo::import {

namespace {
constexpr int kVarNameSize = 50;
}

void DefineVarMap(memtable::MemTable& map) {
    map.addField(QStringLiteral("VarName"), memtable::FieldType::Text, kVarNameSize);
    map.addField(QStringLiteral("VarCol"), memtable::FieldType::Integer);
    map.addIndex(QStringLiteral("VARNAME"), u"VarName");
    map.setCurrentIndex(u"VARNAME");
}

void BuildVarMap(memtable::MemTable& map, const CellMatrix& matrix, int row,
                 const platform::SystemLocale& locale) {
    map.close();
    map.open();
    map.setCurrentIndex(u"VARNAME");
    const int varName = map.field(u"VarName");
    const int varCol = map.field(u"VarCol");
    for (int c = 2; c <= matrix.lastCol(); ++c) {
        QString code = locale.toUpper(matrix.cell(row, c, locale.codec()));
        if (code.isEmpty()) {
            break;
        }
        map.append();
        map.setText(varName, code);
        map.setInt(varCol, c);
        map.post();
    }
}

std::optional<int> FindVarCol(memtable::MemTable& map, const QString& code) {
    if (code.isEmpty() || !map.findKey(code)) {
        return std::nullopt;
    }
    return map.intValue(u"VarCol");
}

}  // namespace tervalo::import
