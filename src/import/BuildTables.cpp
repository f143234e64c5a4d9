#include "import/BuildTables.h"

#include "import/DefFile.h"
#include "import/VarMap.h"
#include "platform/EventPacer.h"
#include "platform/SystemLocale.h"
#include "state/StateSnapshot.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tervalo::import {

namespace {

// Definition records: section texts, row kinds, and the first of each section's field codes.
enum Record : int {
    DebtorSection = 2,
    DocumentSection = 3,
    CreditSection = 4,
    HeaderRow = 5,
    DataRow = 6,
    DebtorFields = 7,     // 7..20
    DocumentFields = 21,  // 21..28
    CreditFields = 29,    // 29..36
    TitleSection = 37,
    TitleFields = 38,  // 38..40
};

// A conversion failed: the text and the 0-based row.
struct ConversionError {
    QString text;
    int row;
    bool date;
};

// Values worked out from a cell's bytes, kept for texts that come again: the first two cells of a
// row (its section and kind) and due dates repeat over the whole export, so each distinct text is
// upper-cased or parsed once rather than on every row. Bounded, since an odd export could make every
// text distinct. The value returned holds until the next get().
template <typename Value>
class RepeatedTexts {
public:
    template <typename Make>
    const Value& get(std::string_view bytes, Make make) {
        if (m_last && bytes == m_last->first) {
            return m_last->second;  // mostly the same as on the row before
        }
        if (auto found = m_known.find(bytes); found != m_known.end()) {
            m_last = &*found;
            return found->second;
        }
        if (m_known.size() >= kMaxKnown) {
            m_unkept = make();
            return m_unkept;
        }
        m_last = &*m_known.emplace(std::string(bytes), make()).first;
        return m_last->second;
    }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    static constexpr std::size_t kMaxKnown = 4096;
    std::unordered_map<std::string, Value, Hash, std::equal_to<>> m_known;  // its nodes never move
    const std::pair<const std::string, Value>* m_last = nullptr;
    Value m_unkept;  // the value of a text past the bound
};

// Field numbers of the two tables, looked up once by name.
struct DebtorFieldNumbers {
    std::array<int, 9> texts;
    int email, exportFlag, hasEmail, id;
    std::array<int, 4> amounts;
    explicit DebtorFieldNumbers(const memtable::MemTable& t)
        : texts{t.field(u"OdbNazev"), t.field(u"OdbUlice"), t.field(u"OdbMisto"),
                t.field(u"OdbPSC"),   t.field(u"OdbStat"),  t.field(u"OdbWWW"),
                t.field(u"OdbTel"),   t.field(u"OdbMobil"), t.field(u"OdbICO")},
          email(t.field(u"OdbEmail")),
          exportFlag(t.field(u"Exportovat")),
          hasEmail(t.field(u"JeEmail")),
          id(t.field(u"ID")),
          amounts{t.field(u"Celkem"), t.field(u"ZbyvaUh"), t.field(u"CelkemDobr"), t.field(u"ZbyvaUhDobr")} {}
};

struct DocumentFieldNumbers {
    int number, vatDate, dueDate, issueDate, variableSymbol, total, unpaid, currency, daysPastDue, creditNote,
        exportFlag, hasNote, id;
    explicit DocumentFieldNumbers(const memtable::MemTable& t)
        : number(t.field(u"CisloDokl")),
          vatDate(t.field(u"DatDPH")),
          dueDate(t.field(u"DatSplat")),
          issueDate(t.field(u"DatVyst")),
          variableSymbol(t.field(u"VarSymbol")),
          total(t.field(u"Celkem")),
          unpaid(t.field(u"CelkNeprop")),
          currency(t.field(u"Mena")),
          daysPastDue(t.field(u"DnuPoSplat")),
          creditNote(t.field(u"Dobropis")),
          exportFlag(t.field(u"Exportovat")),
          hasNote(t.field(u"JePozn")),
          id(t.field(u"ID")) {}
};

class TableBuilder {
public:
    TableBuilder(ExportTables& tables, const BuildInput& input, const state::StateSnapshot& stored)
        : m_t(tables),
          m_in(input),
          m_state(stored),
          m_locale(tables.locale),
          m_codec(m_locale.codec()),
          m_debtorFields(tables.mtFirmy),
          m_documentFields(tables.mtDoklady) {
        m_columns.fill(kUnknownColumn);
        for (int n = DebtorSection; n <= TitleFields + 2; ++n) {
            m_defVar[std::size_t(n)] = m_locale.toUpper(DefFile::DefVar(n, input.defFilePath, m_codec));
        }
    }

    void run(UserInterface& ui) {
        const CellMatrix& matrix = m_in.matrix;
        const QString& title = var(TitleSection);
        const QString& debtor = var(DebtorSection);
        const QString& document = var(DocumentSection);
        const QString& credit = var(CreditSection);
        const QString& header = var(HeaderRow);
        const QString& data = var(DataRow);
        std::array<bool, 4> headerSeen{};
        std::array<memtable::MemTable*, 4> maps{&m_t.mtVarTitul, &m_t.mtVarHeader, &m_t.mtVarItems,
                                                &m_t.mtvarItemsDobr};
        const std::array<const QString*, 4> sections{&title, &debtor, &document, &credit};
        for (int r = 0; r <= matrix.lastRow(); ++r) {
            m_row = r;
            const QString& s0 = upperCell(r, 0);
            const QString& s1 = upperCell(r, 1);
            bool headerBuilt = false;
            for (std::size_t k = 0; k < sections.size() && !headerBuilt; ++k) {
                if (s0 == *sections[k] && s1 == header && !headerSeen[k]) {
                    BuildVarMap(*maps[k], matrix, r, m_locale);
                    m_columns.fill(kUnknownColumn);
                    headerSeen[k] = true;
                    headerBuilt = true;
                }
            }
            if (!headerBuilt && s1 == data) {
                // Each kind of data row on its own: a first cell naming two sections serves both.
                if (s0 == title)
                    titleRow();
                if (s0 == debtor)
                    debtorRow();
                if (s0 == document)
                    documentRow(m_t.mtVarItems, DocumentFields, false);
                if (s0 == credit)
                    documentRow(m_t.mtvarItemsDobr, CreditFields, true);
            }
            if (m_in.releasedAsBuilt && (r + 1) % kReleaseRows == 0) {
                m_in.releasedAsBuilt->releaseRowsBefore(r + 1);
            }
            // Every fifth row the window may catch up; the pacer lets it do so once a frame, since
            // a progress bar and an event loop pass cost more than several rows of building.
            if ((r + 1) % 5 == 0 && m_eventPacer.due()) {
                ui.processEvents();
                ui.setProgress(r + 1);
            }
        }
    }

private:
    const QString& var(int record) const { return m_defVar[std::size_t(record)]; }

    // Each of the two columns has its own store, so the first cell's text outlives the second's.
    const QString& upperCell(int row, int col) {
        const std::string_view bytes = m_in.matrix.cellBytes(row, col);
        return m_upperCells[std::size_t(col)].get(
            bytes, [&] { return m_locale.toUpper(m_codec.decode(bytes.data(), bytes.size())); });
    }

    // The bytes of the current row's cell in the column of the record's field code, or nothing when
    // the section's header row does not list the code.
    std::optional<std::string_view> bytes(memtable::MemTable& map, int record) {
        // A record's column is looked up once after each change of the maps.
        int& column = m_columns[std::size_t(record)];
        if (column == kUnknownColumn) {
            column = FindVarCol(map, var(record)).value_or(kNoColumn);
        }
        if (column == kNoColumn) {
            return std::nullopt;
        }
        return m_in.matrix.cellBytes(m_row, column);
    }

    // As bytes(), decoded; the view holds until the next call.
    std::optional<QStringView> value(memtable::MemTable& map, int record) {
        const std::optional<std::string_view> cell = bytes(map, record);
        if (!cell) {
            return std::nullopt;
        }
        m_codec.decodeInto(cell->data(), cell->size(), m_text);
        return QStringView(m_text);
    }

    double number(QStringView text) const {
        auto parsed = platform::parseDecimal(text, m_in.decimalSeparator);
        if (!parsed) {
            throw ConversionError{text.toString(), m_row, false};
        }
        return *parsed;
    }

    QDate date(std::string_view cell) {
        const std::optional<QDate> parsed = m_dates.get(
            cell, [&] { return m_locale.parseShortDate(m_codec.decode(cell.data(), cell.size())); });
        if (!parsed) {
            throw ConversionError{m_codec.decode(cell.data(), cell.size()), m_row, true};
        }
        return *parsed;
    }

    void titleRow() {
        QString* targets[] = {&m_t.AsOfDate, &m_t.ToleranceDays, &m_t.SupplierName};
        for (int i = 0; i < 3; ++i) {
            if (auto text = value(m_t.mtVarTitul, TitleFields + i)) {
                *targets[i] = text->toString();
            }
        }
    }

    void debtorRow() {
        memtable::MemTable& firmy = m_t.mtFirmy;
        memtable::MemTable& map = m_t.mtVarHeader;
        const DebtorFieldNumbers& f = m_debtorFields;
        firmy.appendRow();
        ++m_debtorCounter;
        for (int i = 0; i < 9; ++i) {
            if (auto text = value(map, DebtorFields + i)) {
                firmy.putText(f.texts[std::size_t(i)], *text);
            }
        }
        if (auto text = value(map, DebtorFields + 9)) {
            m_email = text->trimmed().toString();
        }
        firmy.putText(f.email, m_email);
        for (int i = 0; i < 4; ++i) {
            if (auto text = value(map, DebtorFields + 10 + i)) {
                firmy.putFloat(f.amounts[std::size_t(i)], number(*text));
            }
        }
        firmy.putBool(f.exportFlag, m_state.addressExport(m_email));
        firmy.putBool(f.hasEmail, !m_email.isEmpty());
        firmy.putInt(f.id, m_debtorCounter);
        firmy.post();
    }

    void documentRow(memtable::MemTable& map, int first, bool creditNote) {
        memtable::MemTable& doklady = m_t.mtDoklady;
        const DocumentFieldNumbers& f = m_documentFields;
        doklady.appendRow();
        if (auto cell = bytes(map, first)) {
            m_codec.decodeInto(cell->data(), cell->size(), m_documentNumber);
        }
        doklady.putText(f.number, m_documentNumber);
        // Asked now, answered after the rest of the row: its stored flags arrive meanwhile.
        const state::StateSnapshot::DocumentQuery query = m_state.documentQuery(m_documentNumber);
        if (auto text = value(map, first + 1)) {
            doklady.putText(f.vatDate, *text);
        }
        if (auto cell = bytes(map, first + 2)) {
            m_dueDate = date(*cell);
            m_codec.decodeInto(cell->data(), cell->size(), m_text);
            doklady.putText(f.dueDate, m_text);
        }
        if (auto text = value(map, first + 3)) {
            doklady.putText(f.issueDate, *text);
        }
        if (auto text = value(map, first + 4)) {
            doklady.putText(f.variableSymbol, *text);
        }
        if (auto text = value(map, first + 5)) {
            doklady.putFloat(f.total, number(*text));
        }
        if (auto text = value(map, first + 6)) {
            doklady.putFloat(f.unpaid, number(*text));
        }
        if (auto text = value(map, first + 7)) {
            doklady.putText(f.currency, *text);
        }
        // Without a due date so far (the export lacks its field code) the days past due stay empty,
        // as every value whose code is missing does.
        if (m_dueDate.isValid()) {
            doklady.putFloat(f.daysPastDue, double(m_dueDate.daysTo(m_in.today)));
        }
        doklady.putBool(f.creditNote, creditNote);
        const state::DocumentState stored = m_state.documentState(query);
        doklady.putBool(f.exportFlag, stored.exportFlag);
        doklady.putBool(f.hasNote, stored.hasNote);
        doklady.putInt(f.id, m_debtorCounter);
        doklady.post();
    }

    ExportTables& m_t;
    const BuildInput& m_in;
    const state::StateSnapshot& m_state;
    const platform::SystemLocale& m_locale;
    const platform::AnsiCodec& m_codec;
    const DebtorFieldNumbers m_debtorFields;
    const DocumentFieldNumbers m_documentFields;
    std::array<QString, TitleFields + 3> m_defVar;
    static constexpr int kReleaseRows = 4096;  // a few hundred kilobytes of the export
    static constexpr int kUnknownColumn = -2;
    static constexpr int kNoColumn = -1;
    std::array<int, TitleFields + 3> m_columns;
    std::array<RepeatedTexts<QString>, 2> m_upperCells;  // of the first and the second cell
    RepeatedTexts<std::optional<QDate>> m_dates;
    QString m_text;  // the last decoded cell
    platform::EventPacer m_eventPacer;
    int m_row = 0;
    int m_debtorCounter = 0;
    // Carried over to the next rows when a row lacks them.
    QString m_email;
    QString m_documentNumber;
    QDate m_dueDate;
};

// Empties the matrix whose rows were given back while building, however the building ends.
struct EmptiedAfterwards {
    CellMatrix* matrix;
    ~EmptiedAfterwards() {
        if (matrix) {
            matrix->clear();
        }
    }
};

QString conversionMessage(const ConversionError& e) {
    return QStringLiteral("Hodnotu \"") + e.text + QStringLiteral("\" na řádku ") +
           QString::number(e.row + 1) + QStringLiteral(" vstupního souboru nelze převést na ") +
           (e.date ? QStringLiteral("datum.") : QStringLiteral("číslo."));
}

}  // namespace

bool BuildTables(ExportTables& tables, const BuildInput& input, const state::StateSnapshot& stored,
                 UserInterface& ui) {
    ui.processEvents();
    ui.setProgressMaximum(input.matrix.lastRow());
    ui.processEvents();

    tables.NoDocuments = false;
    tables.mtFirmy.close();
    tables.mtFirmy.open();
    tables.mtDoklady.close();
    tables.mtDoklady.open();
    const EmptiedAfterwards emptied{input.releasedAsBuilt};
    try {
        TableBuilder builder(tables, input, stored);
        builder.run(ui);
    } catch (const ConversionError& e) {
        for (auto* table : {&tables.mtFirmy, &tables.mtDoklady}) {
            if (table->state() != memtable::MemTable::State::Browse) {
                table->cancel();
            }
        }
        ui.error(conversionMessage(e));
        return false;
    }
    tables.lblStavKeDniText = QStringLiteral("stav ke dni: ") + tables.AsOfDate +
                              QStringLiteral(", počet tolerovaných dní po splatnosti: ") +
                              tables.ToleranceDays;
    if (!tables.mtFirmy.isEmpty()) {
        tables.mtFirmy.setCurrentIndex(u"OdbNazev");
        tables.mtFirmy.first();
    }
    tables.NoDocuments = tables.mtDoklady.rowCount() == 0;
    return true;
}

}  // namespace tervalo::import
