// Exports synthetic debtor lists with 10 documents per debtor through the shipped template TERVALO.XL
// and prints the time and peak memory of each run.
//
// The template gives every debtor 15 rows (name, address, 10 documents, two total rows, a spacer), and
// an Excel 97–2003 worksheet holds at most 65,536 rows, so 4,000 debtors (60,000 rows) is about the
// largest list that fits; 10,000 debtors (150,000 rows) is also run to show how long the export takes
// to refuse it.
//   bench_export [OUTPUT.xls]   keeps the 4,000-debtor workbook for checking by hand
#include "ProcessMemory.h"
#include "cli/CliUserInterface.h"
#include "export/ExportDebtorList.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace tervalo;
using tervalo::bench::processMemoryMb;

namespace {

constexpr int DocumentsPerDebtor = 10;

// The command line's messages; the export's own error text is kept for the figures.
class BenchUserInterface : public cli::CliUserInterface {
public:
    void error(const QString& text) override { lastError = text; }

    QString lastError;
};

// Fills the tables as the import does: debtors in ascending name order, each with its documents.
void fill(import::ExportTables& t, int debtors) {
    t.mtFirmy.reserve(debtors);
    t.mtDoklady.reserve(debtors * DocumentsPerDebtor);
    for (int d = 1; d <= debtors; ++d) {
        double total = 0;
        for (int k = 0; k < DocumentsPerDebtor; ++k) {
            const double amount = 100.0 + d % 997 + k * 12.5;
            total += amount;
            t.mtDoklady.append();
            t.mtDoklady.setText(u"CisloDokl",
                                QStringLiteral("FV%1").arg(d * 100 + k, 8, 10, QLatin1Char('0')));
            t.mtDoklady.setText(u"DatDPH", QStringLiteral("1.9.2026"));
            t.mtDoklady.setText(u"DatSplat", QStringLiteral("%1.10.2026").arg(1 + (d + k) % 28));
            t.mtDoklady.setText(u"DatVyst", QStringLiteral("1.9.2026"));
            t.mtDoklady.setText(u"VarSymbol", QString::number(d * 100 + k));
            t.mtDoklady.setFloat(u"Celkem", amount);
            t.mtDoklady.setFloat(u"CelkNeprop", amount);
            t.mtDoklady.setText(u"Mena", QStringLiteral("CZK"));
            t.mtDoklady.setBool(u"Exportovat", true);
            t.mtDoklady.setBool(u"Dobropis", false);
            t.mtDoklady.setInt(u"ID", d);
            t.mtDoklady.setFloat(u"DnuPoSplat", double(30 + (d + k) % 90));
            t.mtDoklady.setBool(u"JePozn", false);
            t.mtDoklady.post();
        }
        t.mtFirmy.append();
        t.mtFirmy.setText(u"OdbNazev", QStringLiteral("Odběratel %1 s.r.o.").arg(d, 5, 10, QLatin1Char('0')));
        t.mtFirmy.setText(u"OdbUlice", QStringLiteral("Průmyslová %1").arg(d));
        t.mtFirmy.setText(u"OdbMisto", QStringLiteral("Brno"));
        t.mtFirmy.setText(u"OdbPSC", QStringLiteral("602 00"));
        t.mtFirmy.setText(u"OdbStat", QStringLiteral("Česká republika"));
        t.mtFirmy.setText(u"OdbTel", QStringLiteral("+420 541 000 111"));
        t.mtFirmy.setText(u"OdbICO", QString::number(25000000 + d));
        t.mtFirmy.setText(u"OdbEmail", QStringLiteral("ucetni%1@example.cz").arg(d));
        t.mtFirmy.setFloat(u"Celkem", total);
        t.mtFirmy.setFloat(u"ZbyvaUh", total);
        t.mtFirmy.setFloat(u"CelkemDobr", 0);
        t.mtFirmy.setFloat(u"ZbyvaUhDobr", 0);
        t.mtFirmy.setBool(u"Exportovat", true);
        t.mtFirmy.setBool(u"JeEmail", true);
        t.mtFirmy.setInt(u"ID", d);
        t.mtFirmy.post();
    }
    t.AsOfDate = QStringLiteral("10.12.2026");
    t.ToleranceDays = QStringLiteral("14");
    t.SupplierName = QStringLiteral("Účetní kancelář Horák s.r.o.");
    t.mtFirmy.setCurrentIndex(u"OdbNazev");
    t.mtFirmy.first();
}

bool run(int debtors, const QString& output) {
    const platform::SystemLocale locale;
    import::ExportTables tables(locale);
    fill(tables, debtors);
    BenchUserInterface ui;
    QElapsedTimer timer;
    timer.start();
    const bool written = exporting::WriteDebtorList(tables, QStringLiteral(TERVALO_TEMPLATE), output, ui);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (written) {
        std::printf("%d debtors x %d documents (%d rows): %.2f s, peak memory %.0f MB, file %lld KB\n",
                    debtors, DocumentsPerDebtor, debtors * 15 + 10, seconds, processMemoryMb("VmHWM"),
                    QFile(output).size() / 1024);
    } else {
        std::printf("%d debtors x %d documents (%d rows): refused after %.2f s, peak memory %.0f MB: %s\n",
                    debtors, DocumentsPerDebtor, debtors * 15 + 10, seconds, processMemoryMb("VmHWM"),
                    qPrintable(ui.lastError));
    }
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("export through the shipped template (peak memory before: %.0f MB)\n",
                processMemoryMb("VmHWM"));
    const QString fits = dir.filePath(QStringLiteral("4000.xls"));
    if (run(4000, fits) && argc > 1) {
        QFile::copy(fits, QString::fromLocal8Bit(argv[1]));
    }
    run(10000, dir.filePath(QStringLiteral("10000.xls")));
    return 0;
}
