#include "report/TemplateReport.h"

#include "platform/FileWrite.h"

#include "report/CompoundFile.h"
#include "report/Formula.h"
#include "report/PageHeaderTags.h"
#include "report/ReportError.h"
#include "report/SheetExpander.h"
#include "report/Workbook.h"

#include <QFileInfo>

#include <cerrno>
#include <memory>

namespace tervalo::report {

namespace {

// Some readers mishandle a Workbook stream small enough for the compound file's mini stream.
constexpr qsizetype MinWorkbookStream = 4096;
constexpr char AlwaysCalc = 0x01;

using Layouts = std::vector<std::unique_ptr<SheetLayout>>;

RowRemap remapFor(const Workbook& book, const Layouts& layouts, int ownSheet, const BandInstance* context) {
    return [&book, &layouts, ownSheet, context](std::optional<uint16_t> ixti, RowSpan rows,
                                                bool single) -> std::optional<RowSpan> {
        int target = ownSheet;
        const BandInstance* seenFrom = context;
        if (ixti) {
            const std::optional<int> sheet = book.sheetOfXti(*ixti);
            if (!sheet) {
                return rows;
            }
            if (*sheet != ownSheet) {
                seenFrom = nullptr;
            }
            target = *sheet;
        }
        if (target < 0 || size_t(target) >= layouts.size() || !layouts[size_t(target)]) {
            return rows;
        }
        return layouts[size_t(target)]->resolve(rows, single, seenFrom);
    };
}

}  // namespace

QByteArray renderWorkbook(const QByteArray& workbookStream, ReportDataSource& source) {
    const Workbook templ = parseWorkbook(workbookStream);
    Workbook out;
    out.globals = templ.globals;
    out.sstSlot = templ.sstSlot;
    out.sst = templ.sst;
    out.names = templ.names;
    out.externSheets = templ.externSheets;
    out.dates1904 = templ.dates1904;

    Layouts layouts(templ.sheets.size());
    std::vector<PendingFormula> formulas;
    for (size_t s = 0; s < templ.sheets.size(); ++s) {
        if (!templ.sheets[s].isWorksheet) {
            out.sheets.push_back(templ.sheets[s]);
            continue;
        }
        Sheet sheet;
        SheetExpander expander(templ, int(s), out.sst, source, templ.dates1904);
        layouts[s] = expander.expand(sheet, formulas);
        fillPageHeaderTags(sheet.before, source);
        out.sheets.push_back(std::move(sheet));
    }

    // The cached results are stale once rows moved or data arrived: have every reader recalculate.
    for (const PendingFormula& p : formulas) {
        FormulaCell& f = out.sheets[size_t(p.sheet)].formulas[p.formula];
        f.body[8] = char(f.body[8] | AlwaysCalc);
        remapReferenceRows(f.body.data() + 16, f.cce(), remapFor(out, layouts, p.sheet, p.context));
    }
    for (const DefinedName& name : out.names) {
        QByteArray& data = out.globals[size_t(name.recordIndex)].data;
        remapReferenceRows(data.data() + name.rgceOffset, name.cce, remapFor(out, layouts, -1, nullptr));
    }
    return serializeWorkbook(out);
}

void renderTemplate(const QString& templatePath, const QString& outputPath, ReportDataSource& source) {
    if (QFileInfo::exists(outputPath)) {
        throw ReportError(QStringLiteral("Výstupní soubor %1 již existuje.").arg(outputPath));
    }
    if (!QFileInfo::exists(templatePath)) {
        throw ReportError(QStringLiteral("Šablona %1 neexistuje.").arg(templatePath));
    }
    CompoundFile file = CompoundFile::read(templatePath);
    if (file.find(QStringLiteral("_VBA_PROJECT_CUR")) != nullptr) {
        throw ReportError(QStringLiteral("Šablona obsahuje makra; uložte ji jako sešit bez maker."));
    }
    CompoundEntry* workbook = file.find(QStringLiteral("Workbook"));
    if (workbook == nullptr) {
        if (file.find(QStringLiteral("Book")) != nullptr) {
            throw ReportError(
                QStringLiteral("Šablona je uložena ve starém formátu (Excel 5.0/95 nebo starší); "
                               "uložte ji jako sešit Excel 97–2003."));
        }
        throw ReportError(QStringLiteral("Soubor %1 není sešit Excel 97–2003.").arg(templatePath));
    }
    QByteArray stream = renderWorkbook(workbook->data, source);
    if (stream.size() < MinWorkbookStream) {
        stream.append(QByteArray(MinWorkbookStream - stream.size(), '\0'));
    }
    workbook->name = QStringLiteral("Workbook");
    workbook->data = std::move(stream);

    // The workbook reaches the disk before it gets its name, so a power loss never leaves a cut file
    // under it; a file that appeared under the name meanwhile is kept.
    if (!platform::FileWrite::createDurably(outputPath, file.serialize(outputPath))) {
        if (errno == EEXIST) {
            throw ReportError(QStringLiteral("Soubor %1 nelze zapsat.").arg(outputPath));
        }
        throw ReportError(
            QStringLiteral("Soubor %1 nelze vytvořit: %2").arg(outputPath, qt_error_string(errno)));
    }
}

}  // namespace tervalo::report
