#pragma once

#include "report/FakeDataSource.h"

namespace tervalo::fuzz {

// Debtors with their documents and the date property, under the names the program's templates use:
// enough for every band kind of a template to expand.
inline void fillDebtorSource(report::test::FakeDataSource& source) {
    auto& firmy = source.add(
        QStringLiteral("mtFirmy"),
        {QStringLiteral("ID"), QStringLiteral("OdbNazev"), QStringLiteral("Email"), QStringLiteral("Celkem")},
        {{1.0, QStringLiteral("Účetní kancelář s.r.o."), QStringLiteral("a@example.cz"), 1250.5},
         {2.0, QStringLiteral("Novák"), QString(), -3.0}});
    auto& doklady = source.add(
        QStringLiteral("mtDoklady"),
        {QStringLiteral("ID"), QStringLiteral("Cislo"), QStringLiteral("DatSplat"), QStringLiteral("Castka")},
        {{1.0, QStringLiteral("FV1"), QDate(2026, 11, 30), 1000.0},
         {1.0, QStringLiteral("FV2"), QDate(2026, 12, 1), 250.5},
         {2.0, QStringLiteral("DB1"), QDate(2026, 10, 1), -3.0}});
    doklady.linkTo(&firmy, QStringLiteral("ID"), QStringLiteral("ID"));
    source.setProperty(QStringLiteral("AsOfDate"), {QDate(2026, 12, 10)});
}

}  // namespace tervalo::fuzz
