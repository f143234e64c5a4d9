#include "compose/BuildDocumentList.h"

#include "compose/DocumentListError.h"
#include "compose/DocumentListLayout.h"
#include "compose/PrepareFileForWrite.h"
#include "compose/TemplateVariables.h"
#include "compose/ZipDocumentList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tervalo::compose {

namespace {

// Reads the current debtor's documents by row, so the document grid's current row never moves.
std::vector<DocumentTableLine> includedDocuments(const import::ExportTables& tables) {
    const memtable::MemTable& doklady = tables.mtDoklady;
    const QChar separator = tables.locale.decimalSeparator();
    const int exportovat = doklady.field(u"Exportovat");
    const int cisloDokl = doklady.field(u"CisloDokl");
    const int datVyst = doklady.field(u"DatVyst");
    const int datSplat = doklady.field(u"DatSplat");
    const int celkem = doklady.field(u"Celkem");
    const int celkNeprop = doklady.field(u"CelkNeprop");
    const int mena = doklady.field(u"Mena");
    std::vector<DocumentTableLine> lines;
    for (int position = 0; position < doklady.recordCount(); ++position) {
        const memtable::RowId row = doklady.rowAt(position);
        if (!doklady.boolValue(row, exportovat)) {
            continue;
        }
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

// Both files are made afresh for every reminder right after PrepareFileForWrite removed their old
// copies, and only the archive packed from the list travels: there is no old content to keep whole,
// so the wait for the disk of a replacing write (temporary file, flush, rename) would buy nothing,
// twice per debtor. Created exclusively, so nothing that reappeared under the name (a planted link)
// is written through; a short write (disk full) removes the cut file.
void writeListFile(const QString& path, const QString& text, const platform::AnsiCodec& codec) {
    const QByteArray bytes = codec.encode(text);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        throw DocumentListError(path);
    }
    if (file.write(bytes) != bytes.size()) {
        file.remove();
        throw DocumentListError(path);
    }
}

}  // namespace

QString BuildDocumentList(int ID, import::ExportTables& tables, const app::AppSettings& settings,
                          const QString& tempDir, UserInterface& ui, const ZipLibrary* library) {
    const QString debtorDir = tempDir + QString::number(ID) + QLatin1Char('/');
    if (!QFileInfo(debtorDir).isDir() && !QDir().mkpath(debtorDir)) {
        ui.error(QStringLiteral("Chyba : nelze vytvořit dočasný adresář ") + debtorDir);
        return {};
    }

    // The table part alone goes to the scratch file first, as it always has; the list itself is
    // built in memory.
    const QString table = documentTable(tables, settings);
    const QString scratchPath = tempDir + QStringLiteral("~temp");
    if (!PrepareFileForWrite(scratchPath, ui)) {
        return {};
    }
    const platform::AnsiCodec& codec = tables.locale.codec();
    writeListFile(scratchPath, table, codec);

    const QString list = AddDocumentListHeading(heading(tables, settings), table);
    const QString listPath = debtorDir + QStringLiteral("Doklady.txt");
    if (!PrepareFileForWrite(listPath, ui)) {
        return {};
    }
    writeListFile(listPath, list, codec);

    memtable::MemTable& firmy = tables.mtFirmy;
    firmy.edit();
    firmy.setText(u"TextNeuhrDokl", list);
    firmy.post();

    return ZipDocumentList(listPath, ui, library);
}

}  // namespace tervalo::compose
