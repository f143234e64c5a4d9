#include "compose/BuildDocumentList.h"

#include "compose/DocumentListError.h"
#include "compose/PrepareFileForWrite.h"
#include "compose/WriteFileAfresh.h"
#include "compose/ZipDocumentList.h"
#include "import/DocumentListLayout.h"
#include "import/IncludedDocuments.h"
#include "import/TemplateVariables.h"
#include "platform/PrivateFolder.h"

namespace tervalo::compose {

namespace {

std::vector<DocumentTableLine> includedDocuments(const import::ExportTables& tables) {
    const memtable::MemTable& doklady = tables.mtDoklady;
    const QChar separator = tables.locale.decimalSeparator();
    const int cisloDokl = doklady.field(u"CisloDokl");
    const int datVyst = doklady.field(u"DatVyst");
    const int datSplat = doklady.field(u"DatSplat");
    const int celkem = doklady.field(u"Celkem");
    const int celkNeprop = doklady.field(u"CelkNeprop");
    const int mena = doklady.field(u"Mena");
    std::vector<DocumentTableLine> lines;
    for (const memtable::RowId row : import::IncludedDocumentRows(tables)) {
        lines.push_back(
            {doklady.text(row, cisloDokl), doklady.text(row, datVyst), doklady.text(row, datSplat),
             FormatDocumentAmount(doklady.floatValue(row, celkem), separator),
             FormatDocumentAmount(doklady.floatValue(row, celkNeprop), separator), doklady.text(row, mena)});
    }
    return lines;
}

QString documentTable(const import::ExportTables& tables, const app::AppSettings& settings) {
    const DocumentTableLine titles = {settings.EF_CisDokl,  settings.EF_Vystaveno, settings.EF_Splatno,
                                      settings.EF_CenaCelk, settings.EF_ZbyvaUhr,  settings.EF_Mena};
    return LayOutDocumentTable(titles, includedDocuments(tables));
}

QString heading(const import::ExportTables& tables, const app::AppSettings& settings) {
    return ReplaceTemplateVariables(settings.EF_Nadpis, CurrentDebtorValues(tables));
}

}  // namespace

QString BuildDocumentList(int ID, import::ExportTables& tables, const app::AppSettings& settings,
                          const QString& tempDir, UserInterface& ui, const ZipLibrary* library) {
    const QString debtorDir = tempDir + QString::number(ID) + QLatin1Char('/');
    if (!platform::makePrivateFolder(debtorDir)) {
        ui.error(QStringLiteral("Chyba : nelze vytvořit dočasný adresář ") + debtorDir);
        return {};
    }

    // The list is built in memory. The scratch file "~temp" is still cleared first, and a name there
    // that cannot be cleared stops the build, but nothing is written to it: a file made and thrown
    // away for every debtor only cost a file creation each, which dominates a bulk run's disk time.
    const QString table = documentTable(tables, settings);
    if (!PrepareFileForWrite(tempDir + QStringLiteral("~temp"), ui)) {
        return {};
    }

    const QString list = AddDocumentListHeading(heading(tables, settings), table);
    const QString listPath = debtorDir + QStringLiteral("Doklady.txt");
    const QByteArray listBytes = tables.locale.codec().encode(list);
    switch (WriteFileAfresh(listPath, listBytes, ui, platform::FileAccess::ownerOnly)) {
        case Afresh::written:
            break;
        case Afresh::blocked:
            return {};
        case Afresh::failed:
            throw DocumentListError(listPath);
    }

    memtable::MemTable& firmy = tables.mtFirmy;
    firmy.edit();
    firmy.setText(u"TextNeuhrDokl", list);
    firmy.post();

    return ZipDocumentList(listPath, listBytes, ui, library);
}

}  // namespace tervalo::compose
