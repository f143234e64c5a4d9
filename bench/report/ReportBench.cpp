// Exports 10,000 debtors with 10 documents each through a template and prints the time and peak
// memory beside python3-xlwt writing the same values into a new workbook.
//
// 110,000 rows exceed one worksheet's 65,536, so the debtors are split over two sheets of 5,000,
// each a debtor band with its document sub-band (datasets mtFirmyA/mtDokladyA and
// mtFirmyB/mtDokladyB).
#include "report/ReportError.h"
#include "report/TemplateReport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

using namespace tervalo::report;

namespace {

constexpr int DebtorsPerSheet = 5000;
constexpr int DocumentsPerDebtor = 10;

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QString debtorName(int debtor) {
    return QStringLiteral("Odběratel %1 s.r.o.").arg(debtor);
}
QString email(int debtor) {
    return QStringLiteral("ucetni%1@example.cz").arg(debtor);
}
double amount(int debtor, int document) {
    return 100.0 + debtor % 997 + document * 12.5;
}
QDate dueDate(int debtor, int document) {
    return QDate(2024, 1, 1).addDays((debtor * 7 + document) % 400);
}
QString documentNumber(int debtor, int document) {
    return QStringLiteral("FV%1").arg(debtor * 100 + document, 8, 10, QLatin1Char('0'));
}

class Debtors : public ReportDataset {
public:
    Debtors(int first, int count) : m_first(first), m_count(count) {}
    QStringList fieldNames() const override {
        return {QStringLiteral("OdbNazev"), QStringLiteral("Email"), QStringLiteral("Celkem")};
    }
    void first() override { m_pos = 0; }
    void next() override { ++m_pos; }
    bool eof() const override { return m_pos >= m_count; }
    ReportValue value(int field) const override {
        const int debtor = current();
        switch (field) {
            case 0:
                return debtorName(debtor);
            case 1:
                return email(debtor);
            default: {
                double total = 0;
                for (int d = 0; d < DocumentsPerDebtor; ++d) {
                    total += amount(debtor, d);
                }
                return total;
            }
        }
    }
    int current() const { return m_first + m_pos; }

private:
    int m_first;
    int m_count;
    int m_pos = 0;
};

// The documents of the debtor its master stands on.
class Documents : public ReportDataset {
public:
    explicit Documents(const Debtors& master) : m_master(master) {}
    QStringList fieldNames() const override {
        return {QStringLiteral("Cislo"), QStringLiteral("DatSplat"), QStringLiteral("Castka"),
                QStringLiteral("DnyPoSplat")};
    }
    void first() override { m_pos = 0; }
    void next() override { ++m_pos; }
    bool eof() const override { return m_master.eof() || m_pos >= DocumentsPerDebtor; }
    ReportValue value(int field) const override {
        const int debtor = m_master.current();
        switch (field) {
            case 0:
                return documentNumber(debtor, m_pos);
            case 1:
                return dueDate(debtor, m_pos);
            case 2:
                return amount(debtor, m_pos);
            default:
                return double(dueDate(debtor, m_pos).daysTo(QDate(2024, 6, 30)));
        }
    }

private:
    const Debtors& m_master;
    int m_pos = 0;
};

class Source : public ReportDataSource {
public:
    Source() {
        for (int part = 0; part < 2; ++part) {
            m_debtors[part] = std::make_unique<Debtors>(part * DebtorsPerSheet, DebtorsPerSheet);
            m_documents[part] = std::make_unique<Documents>(*m_debtors[part]);
        }
    }
    ReportDataset* dataset(const QString& name) override {
        for (int part = 0; part < 2; ++part) {
            const QString suffix = part == 0 ? QStringLiteral("A") : QStringLiteral("B");
            if (name == QStringLiteral("mtFirmy") + suffix) {
                return m_debtors[part].get();
            }
            if (name == QStringLiteral("mtDoklady") + suffix) {
                return m_documents[part].get();
            }
        }
        return nullptr;
    }
    std::optional<ReportValue> property(const QString&, const std::vector<int>&) const override {
        return std::nullopt;
    }

private:
    std::unique_ptr<Debtors> m_debtors[2];
    std::unique_ptr<Documents> m_documents[2];
};

// The same cells written by xlwt into a new workbook, timed inside Python.
const char* XlwtScript = R"PY(
import datetime, resource, sys, time
try:
    import xlwt
except ImportError:
    print("xlwt: not available (apt-get install python3-xlwt)")
    sys.exit(0)
start = time.perf_counter()
book = xlwt.Workbook(encoding="utf-8")
bold = xlwt.easyxf("font: bold on")
money = xlwt.easyxf(num_format_str="#,##0.00")
date = xlwt.easyxf(num_format_str="D.M.YYYY")
for part in range(2):
    sheet = book.add_sheet("Dlužníci " + "AB"[part])
    for c, title in enumerate(["Odběratel", "E-mail", "Celkem", "Doklad", "Splatnost", "Částka", "Dní po splatnosti"]):
        sheet.write(0, c, title, bold)
    row = 1
    for debtor in range(part * 5000, part * 5000 + 5000):
        amounts = [100.0 + debtor % 997 + d * 12.5 for d in range(10)]
        sheet.write(row, 0, "Odběratel %d s.r.o." % debtor, bold)
        sheet.write(row, 1, "ucetni%d@example.cz" % debtor)
        sheet.write(row, 2, sum(amounts), money)
        row += 1
        for d in range(10):
            due = datetime.date(2024, 1, 1) + datetime.timedelta(days=(debtor * 7 + d) % 400)
            sheet.write(row, 3, "FV%08d" % (debtor * 100 + d))
            sheet.write(row, 4, due, date)
            sheet.write(row, 5, amounts[d], money)
            sheet.write(row, 6, float((datetime.date(2024, 6, 30) - due).days))
            row += 1
book.save(sys.argv[1])
elapsed = time.perf_counter() - start
print("xlwt: %.2f s, peak memory %.0f MB" % (elapsed, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024))
print("xlwt_seconds=%.3f" % elapsed)
)PY";

}  // namespace

int main(int argc, char** argv) {
    // An optional argument names a path to keep the exported workbook at, for checking it by hand.
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString templ = QStringLiteral(TERVALO_BENCH_TEMPLATE);
    const QString output = dir.filePath(QStringLiteral("export.xls"));

    const long baseKb = peakRssKb();
    Source source;
    QElapsedTimer timer;
    timer.start();
    try {
        renderTemplate(templ, output, source);
    } catch (const ReportError& e) {
        std::fprintf(stderr, "export failed: %s\n", e.what());
        return 1;
    }
    const double engineSeconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf(
        "report engine: 10,000 debtors x 10 documents (110,000 rows on 2 sheets): %.2f s, peak memory %ld MB "
        "(%ld MB before), file %lld KB\n",
        engineSeconds, peakRssKb() / 1024, baseKb / 1024, QFile(output).size() / 1024);

    if (argc > 1) {
        QFile::copy(output, QString::fromLocal8Bit(argv[1]));
    }

    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(XlwtScript),
                                                      dir.filePath(QStringLiteral("xlwt.xls"))});
    python.waitForFinished(-1);
    const QString report = QString::fromUtf8(python.readAllStandardOutput());
    double xlwtSeconds = 0;
    for (const QString& line : report.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QStringLiteral("xlwt_seconds="))) {
            xlwtSeconds = line.mid(13).toDouble();
        } else {
            std::printf("%s\n", qPrintable(line));
        }
    }
    if (xlwtSeconds > 0) {
        std::printf("speed-up over xlwt: %.1fx (target: at least 3x)\n", xlwtSeconds / engineSeconds);
    }
    return 0;
}
