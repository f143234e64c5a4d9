#include "import/ApplyLateInterest.h"

#include "import/DebtorInterest.h"
#include "import/LateInterest.h"

#include <QStringList>

namespace tervalo::import {

namespace {

struct DocumentFields {
    int due, remaining, creditNote, interest, rate;
    explicit DocumentFields(const memtable::MemTable& t)
        : due(t.field(u"DatSplat")),
          remaining(t.field(u"CelkNeprop")),
          creditNote(t.field(u"Dobropis")),
          interest(t.field(u"UrokZProdleni")),
          rate(t.field(u"SazbaUroku")) {}
};

class InterestPass {
public:
    InterestPass(ExportTables& tables, const LateInterestRates& rates, const QDate& asOf)
        : m_t(tables), m_rates(rates), m_asOf(asOf), m_f(tables.mtDoklady) {}

    // The current debtor's documents, then the debtor's totals.
    void debtor() {
        memtable::MemTable& doklady = m_t.mtDoklady;
        for (int position = 0; position < doklady.recordCount(); ++position) {
            doklady.moveTo(position);
            document();
        }
        StoreDebtorInterest(m_t);
    }

    const std::set<QDate>& missing() const { return m_missing; }

private:
    void document() {
        memtable::MemTable& doklady = m_t.mtDoklady;
        LateInterest interest;
        if (!doklady.boolValue(m_f.creditNote)) {
            const std::optional<QDate> due = m_t.locale.parseShortDate(doklady.text(m_f.due));
            if (due) {
                interest = ComputeLateInterest(*due, doklady.floatValue(m_f.remaining), m_asOf, m_rates);
            }
        }
        if (interest.missingHalfYear) {
            m_missing.insert(*interest.missingHalfYear);
        }
        doklady.edit();
        if (interest.rate) {
            doklady.setFloat(m_f.interest, double(interest.cents) / 100);
            doklady.setFloat(m_f.rate, double(*interest.rate) / 100);
        } else {
            doklady.setNull(m_f.interest);
            doklady.setNull(m_f.rate);
        }
        doklady.post();
    }

    ExportTables& m_t;
    const LateInterestRates& m_rates;
    const QDate m_asOf;
    const DocumentFields m_f;
    std::set<QDate> m_missing;
};

}  // namespace

std::set<QDate> ApplyLateInterest(ExportTables& tables, const LateInterestRates& rates, bool compensation) {
    const std::optional<QDate> asOf = tables.locale.parseShortDate(tables.AsOfDate.trimmed());
    if (!asOf) {
        return {};
    }
    memtable::MemTable& firmy = tables.mtFirmy;
    memtable::MemTable& doklady = tables.mtDoklady;
    firmy.disableControls();
    doklady.disableControls();
    const memtable::MemTable::Bookmark debtor = firmy.bookmark();
    const memtable::MemTable::Bookmark document = doklady.bookmark();
    const bool filtered = firmy.filtered();
    firmy.setFiltered(false);
    tables.CompensationClaimed = compensation;
    InterestPass pass(tables, rates, *asOf);
    for (int position = 0; position < firmy.recordCount(); ++position) {
        firmy.moveTo(position);
        pass.debtor();
    }
    firmy.setFiltered(filtered);
    firmy.gotoBookmark(debtor);
    doklady.gotoBookmark(document);
    doklady.enableControls();
    firmy.enableControls();
    return pass.missing();
}

void ShowMissingRatesMessage(const std::set<QDate>& halfYears, UserInterface& ui) {
    if (halfYears.empty()) {
        return;
    }
    QStringList names;
    for (const QDate& start : halfYears) {
        names << HalfYearName(start);
    }
    ui.warning(
        QStringLiteral("Chybí sazba úroku z prodlení pro pololetí začínající ") +
        names.join(QStringLiteral(", ")) +
        QStringLiteral(". Doklady, jejichž prodlení začalo v tomto pololetí, jsou bez úroku z prodlení. "
                       "Sazbu doplníte v Nastavení na záložce \"Úroky z prodlení\"."));
}

}  // namespace tervalo::import
