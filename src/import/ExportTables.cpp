#include "import/ExportTables.h"

#include "import/VarMap.h"

namespace tervalo::import {

namespace {

void defineFirmy(memtable::MemTable& t) {
    using memtable::FieldType;
    t.addField(QStringLiteral("OdbNazev"), FieldType::Text, 50);
    t.addField(QStringLiteral("OdbUlice"), FieldType::Text, 30);
    t.addField(QStringLiteral("OdbMisto"), FieldType::Text, 40);
    t.addField(QStringLiteral("OdbPSC"), FieldType::Text, 10);
    t.addField(QStringLiteral("OdbStat"), FieldType::Text, 20);
    t.addField(QStringLiteral("OdbWWW"), FieldType::Text, 50);
    t.addField(QStringLiteral("OdbTel"), FieldType::Text, 20);
    t.addField(QStringLiteral("OdbMobil"), FieldType::Text, 20);
    t.addField(QStringLiteral("OdbICO"), FieldType::Text, 10);
    t.addField(QStringLiteral("OdbEmail"), FieldType::Text, 50);
    t.addField(QStringLiteral("Celkem"), FieldType::Float);
    t.addField(QStringLiteral("ZbyvaUh"), FieldType::Float);
    t.addField(QStringLiteral("CelkemDobr"), FieldType::Float);
    t.addField(QStringLiteral("ZbyvaUhDobr"), FieldType::Float);
    t.addField(QStringLiteral("Exportovat"), FieldType::Boolean);
    t.addField(QStringLiteral("JeEmail"), FieldType::Boolean);
    t.addField(QStringLiteral("ID"), FieldType::Integer);
    t.addField(QStringLiteral("TextNeuhrDokl"), FieldType::Memo);
    t.addField(QStringLiteral("UrokCelkem"), FieldType::Float);
    t.addField(QStringLiteral("UrokCelkemMeny"), FieldType::Text, 60);
    t.addField(QStringLiteral("Naklady"), FieldType::Float);
    // The reminder level the debtor gets now and the last accepted reminder, filled from the send
    // journal after the load and after sending.
    t.addField(QStringLiteral("Uroven"), FieldType::Text, 30);
    t.addField(QStringLiteral("PosledniUpominka"), FieldType::Text, 40);
    t.addIndex(QStringLiteral("OdbNazev"), u"OdbNazev");
    t.addIndex(QStringLiteral("ZbyvaUh"), u"ZbyvaUh");
}

void defineDoklady(memtable::MemTable& t) {
    using memtable::FieldType;
    t.addField(QStringLiteral("CisloDokl"), FieldType::Text, 10);
    t.addField(QStringLiteral("DatDPH"), FieldType::Text, 10);
    t.addField(QStringLiteral("DatSplat"), FieldType::Text, 10);
    t.addField(QStringLiteral("DatVyst"), FieldType::Text, 10);
    t.addField(QStringLiteral("VarSymbol"), FieldType::Text, 20);
    t.addField(QStringLiteral("Celkem"), FieldType::Float);
    t.addField(QStringLiteral("CelkNeprop"), FieldType::Float);
    t.addField(QStringLiteral("Mena"), FieldType::Text, 4);
    t.addField(QStringLiteral("Exportovat"), FieldType::Boolean);
    t.addField(QStringLiteral("Dobropis"), FieldType::Boolean);
    t.addField(QStringLiteral("ID"), FieldType::Integer);
    t.addField(QStringLiteral("DnuPoSplat"), FieldType::Float);
    t.addField(QStringLiteral("JePozn"), FieldType::Boolean);
    t.addField(QStringLiteral("UrokZProdleni"), FieldType::Float);
    t.addField(QStringLiteral("SazbaUroku"), FieldType::Float);
    t.addIndex(QStringLiteral("ID"), u"ID");
}

}  // namespace

ExportTables::ExportTables(const platform::SystemLocale& systemLocale)
    : locale(systemLocale),
      mtFirmy(QStringLiteral("mtFirmy"), systemLocale),
      mtDoklady(QStringLiteral("mtDoklady"), systemLocale),
      mtVarTitul(QStringLiteral("mtVarTitul"), systemLocale),
      mtVarHeader(QStringLiteral("mtVarHeader"), systemLocale),
      mtVarItems(QStringLiteral("mtVarItems"), systemLocale),
      mtvarItemsDobr(QStringLiteral("mtvarItemsDobr"), systemLocale) {
    defineFirmy(mtFirmy);
    defineDoklady(mtDoklady);
    for (auto* map : {&mtVarTitul, &mtVarHeader, &mtVarItems, &mtvarItemsDobr}) {
        DefineVarMap(*map);
        map->open();
    }
    mtFirmy.open();
    mtDoklady.open();
    mtDoklady.setCurrentIndex(u"ID");
    mtDoklady.setMasterLink(&mtFirmy, u"ID", u"ID");
}

bool ExportTables::isCatchAllGroup(const QString& name) const {
    return locale.toUpper(name) == locale.toUpper(OtherGroupName);
}

}  // namespace tervalo::import
