#pragma once

#include <QString>
#include <QtGlobal>

namespace tervalo::state::dbf {

// A dBASE language driver identifier (table header byte 29): it names the code page of the table's
// text and the locale whose collation orders its index keys.
struct LanguageDriver {
    quint8 id;
    int codePage;
    unsigned localeId;      // Windows locale identifier
    const char* collation;  // ICU locale of that identifier
};

// The identifier for a new table on a system with this ANSI code page and locale: identifiers matching
// both first, then the locale alone; within a pass 0 and 5-93 before 1-4 and 94-255, the highest
// identifier of the preferred group winning. 0 when no identifier names the locale.
quint8 chooseLanguageDriver(int ansiCodePage, unsigned localeId);

// Nullptr for an identifier this layer does not know (the table then counts as written in the
// system's code page and collation).
const LanguageDriver* findLanguageDriver(quint8 id);

}  // namespace tervalo::state::dbf
