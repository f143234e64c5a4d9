#pragma once

#include "state/dbf/MdxIndex.h"
#include "state/dbf/TableLayout.h"

#include <QString>

#include <vector>

namespace tervalo::state::Schema {

inline const QString earchivFile = QStringLiteral("EArchiv.dat");
inline const QString edokladyFile = QStringLiteral("EDoklady.dat");

inline const QString email = QStringLiteral("EMAIL");
inline const QString exportFlag = QStringLiteral("EXPORT");
inline const QString lastSend = QStringLiteral("LASTSEND");
inline const QString note = QStringLiteral("NOTE");
inline const QString doklad = QStringLiteral("DOKLAD");
inline const QString pozn = QStringLiteral("POZN");

inline std::vector<dbf::FieldDef> earchivFields() {
    return {{email, 'C', 50}, {exportFlag, 'L', 1}, {lastSend, 'D', 8}, {note, 'M', 10}};
}
inline std::vector<dbf::FieldDef> edokladyFields() {
    return {{doklad, 'C', 10}, {exportFlag, 'L', 1}, {pozn, 'M', 10}};
}
inline dbf::IndexDef earchivIndex() {
    return {QStringLiteral("EARCHIV"), email};
}
inline dbf::IndexDef edokladyIndex() {
    return {QStringLiteral("EDOKLADY"), doklad};
}

}  // namespace tervalo::state::Schema
