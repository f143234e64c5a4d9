// Figures for the in-memory table at a million rows shaped like the document table: append time,
// memory, index builds, key searches and a master-detail walk, in processor seconds. Build in Release
// to read them.
#include "ProcessMemory.h"
#include "memtable/MemTable.h"
#include "platform/SystemLocale.h"

#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>

using tervalo::bench::processMemoryMb;
using tervalo::memtable::FieldType;
using tervalo::memtable::MemTable;

namespace {

constexpr int kDocumentsPerDebtor = 20;

void defineDoklady(MemTable& table) {
    table.addField(QStringLiteral("CisloDokl"), FieldType::Text, 10);
    table.addField(QStringLiteral("DatDPH"), FieldType::Text, 10);
    table.addField(QStringLiteral("DatSplat"), FieldType::Text, 10);
    table.addField(QStringLiteral("DatVyst"), FieldType::Text, 10);
    table.addField(QStringLiteral("VarSymbol"), FieldType::Text, 20);
    table.addField(QStringLiteral("Celkem"), FieldType::Float);
    table.addField(QStringLiteral("CelkNeprop"), FieldType::Float);
    table.addField(QStringLiteral("Mena"), FieldType::Text, 4);
    table.addField(QStringLiteral("Exportovat"), FieldType::Boolean);
    table.addField(QStringLiteral("Dobropis"), FieldType::Boolean);
    table.addField(QStringLiteral("ID"), FieldType::Integer);
    table.addField(QStringLiteral("DnuPoSplat"), FieldType::Float);
    table.addField(QStringLiteral("JePozn"), FieldType::Boolean);
    table.addIndex(QStringLiteral("ID"), u"ID");
    table.addIndex(QStringLiteral("CisloDokl"), u"CisloDokl");
    table.addIndex(QStringLiteral("DatSplat"), u"DatSplat");
}

QString czechDate(std::mt19937& random) {
    return QStringLiteral("%1.%2.%3").arg(1 + random() % 28).arg(1 + random() % 12).arg(2015 + random() % 10);
}

// Processor time of the process, not wall time: the machine is shared, and waiting for a core is not
// the table's cost.
class CpuTimer {
public:
    CpuTimer() { restart(); }
    void restart() { m_start = now(); }
    double seconds() const { return now() - m_start; }

private:
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    }
    double m_start = 0;
};

}  // namespace

// Optional argument: the number of documents (default one million).
int main(int argc, char** argv) {
    const int kDocuments = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    const int kDebtors = std::max(1, kDocuments / kDocumentsPerDebtor);
    const tervalo::platform::SystemLocale czech;
    std::mt19937 random(42);
    const QString prefixes[] = {QStringLiteral("FV"), QStringLiteral("Dř"), QStringLiteral("ZÁL"),
                                QStringLiteral("Čs"), QStringLiteral("fv")};
    const QString currencies[] = {QStringLiteral("CZK"), QStringLiteral("EUR"), QStringLiteral("Kč")};

    MemTable firmy(QStringLiteral("mtFirmy"), czech);
    firmy.addField(QStringLiteral("OdbNazev"), FieldType::Text, 50);
    firmy.addField(QStringLiteral("ID"), FieldType::Integer);
    firmy.open();
    for (int id = 1; id <= kDebtors; ++id) {
        firmy.append();
        firmy.setText(u"OdbNazev", QStringLiteral("Stavební družstvo č. %1").arg(id));
        firmy.setInt(u"ID", id);
        firmy.post();
    }

    MemTable doklady(QStringLiteral("mtDoklady"), czech);
    defineDoklady(doklady);
    doklady.open();
    doklady.setCurrentIndex(u"ID");
    doklady.setMasterLink(&firmy, u"ID", u"ID");

    // The values are made by the same generator twice: once alone, to tell its share of the time.
    auto generate = [&](std::mt19937& values, int i, auto&& store) {
        store(0, prefixes[i % 5] + QString::number(10'000'000 + (i * 7919LL) % 90'000'000));
        store(1, czechDate(values));
        store(2, czechDate(values));
        store(3, czechDate(values));
        store(4, QString::number(1'000'000'000ull + values() % 9'000'000'000ull));
        store(5, double(values() % 10'000'000) / 100.0);
        store(6, double(values() % 10'000'000) / 100.0);
        store(7, currencies[i % 3]);
        store(8, true);
        store(9, i % 10 == 0);
        store(10, 1 + int((i * 31LL) % kDebtors));  // a debtor's documents spread over the load
        store(11, double(int(values() % 400) - 30));
        store(12, i % 50 == 0);
    };
    CpuTimer timer;
    std::mt19937 alone(42);
    qsizetype generated = 0;
    for (int i = 0; i < kDocuments; ++i) {
        generate(alone, i, [&](int, const QVariant& value) { generated += value.typeId(); });
    }
    const double generateSeconds = timer.seconds();

    const double rssBefore = processMemoryMb("VmRSS");
    doklady.disableControls();
    timer.restart();
    for (int i = 0; i < kDocuments; ++i) {
        doklady.append();
        generate(random, i, [&](int field, const QVariant& value) { doklady.setValue(field, value); });
        doklady.post();
    }
    doklady.enableControls();
    const double appendSeconds = timer.seconds();
    const double rssAfter = processMemoryMb("VmRSS");
    std::printf("rows                          %d documents, %d debtors\n", kDocuments, kDebtors);
    std::printf("append (views suspended)      %.3f s  (%.0f rows/s), of which %.3f s making the values\n",
                appendSeconds, kDocuments / appendSeconds, generateSeconds);
    std::printf("RSS growth for the rows       %.1f MiB  (%.0f bytes/row)\n", rssAfter - rssBefore,
                (rssAfter - rssBefore) * 1048576 / kDocuments);
    std::printf("table's own count             %.1f MiB  (%.0f bytes/row)\n",
                double(doklady.memoryBytes()) / 1048576, double(doklady.memoryBytes()) / kDocuments);

    doklady.clearMasterLink();
    struct IndexRun {
        const char16_t* index;
        const char* what;
    };
    for (const IndexRun& run :
         {IndexRun{u"ID", "ID (integer)"}, IndexRun{u"CisloDokl", "CisloDokl (text, unique)"},
          IndexRun{u"DatSplat", "DatSplat (text, 3,360 values)"}}) {
        timer.restart();
        doklady.setCurrentIndex(run.index);
        doklady.first();
        std::printf("index build %-30s %.3f s\n", run.what, timer.seconds());
    }

    constexpr int kSearches = 100'000;
    doklady.setCurrentIndex(u"ID");
    timer.restart();
    int found = 0;
    for (int i = 0; i < kSearches; ++i) {
        found += doklady.findKey(1 + int(random() % unsigned(kDebtors))) ? 1 : 0;
    }
    std::printf("findKey on ID                 %.0f /s  (%d found)\n", kSearches / timer.seconds(), found);
    doklady.setCurrentIndex(u"CisloDokl");
    timer.restart();
    found = 0;
    for (int i = 0; i < kSearches; ++i) {
        const int n = int(random() % unsigned(kDocuments));
        found += doklady.findKey(prefixes[n % 5] + QString::number(10'000'000 + (n * 7919LL) % 90'000'000))
                     ? 1
                     : 0;
    }
    std::printf("findKey on CisloDokl          %.0f /s  (%d found)\n", kSearches / timer.seconds(), found);

    doklady.setCurrentIndex(u"ID");
    doklady.setMasterLink(&firmy, u"ID", u"ID");
    timer.restart();
    long long walked = 0;
    double total = 0;
    const int celkem = doklady.field(u"Celkem");
    for (firmy.first(); !firmy.eof(); firmy.next()) {
        for (doklady.first(); !doklady.eof(); doklady.next()) {
            total += doklady.floatValue(celkem);
            ++walked;
        }
    }
    std::printf("master-detail walk            %.3f s  (%lld documents of %d debtors, sum %.0f)\n",
                timer.seconds(), walked, firmy.recordCount(), total);
    std::printf("peak RSS                      %.1f MiB\n", processMemoryMb("VmHWM"));
    return 0;
}
