#include "import/BuildTables.h"

#include "import/DefFile.h"
#include "import/VarMap.h"
#include "platform/SystemLocale.h"
#include "state/StateTables.h"

#include <array>

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

class TableBuilder {
public:
    TableBuilder(ExportTables& tables, const BuildInput& input, state::StateTables& stateTables)
        : m_t(tables), m_in(input), m_state(stateTables.snapshot()), m_locale(tables.locale) {
        m_columns.fill(kUnknownColumn);
        for (int n = DebtorSection; n <= TitleFields + 2; ++n) {
            m_defVar[std::size_t(n)] =
                m_locale.toUpper(DefFile::DefVar(n, input.defFilePath, m_locale.codec()));
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
            const QString s0 = m_locale.toUpper(matrix.cell(r, 0, m_locale.codec()));
            const QString s1 = m_locale.toUpper(matrix.cell(r, 1, m_locale.codec()));
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
            if ((r + 1) % 5 == 0) {
                ui.processEvents();
                ui.setProgress(r + 1);
            }
        }
    }

private:
    const QString& var(int record) const { return m_defVar[std::size_t(record)]; }

    // The cell of the current row in the column of the record's field code, or nothing when the
    // section's header row does not list the code.
    std::optional<QString> value(memtable::MemTable& map, int record) {
        // A record's column is looked up once after each change of the maps.
        int& column = m_columns[std::size_t(record)];
        if (column == kUnknownColumn) {
            column = FindVarCol(map, var(record)).value_or(kNoColumn);
        }
        if (column == kNoColumn) {
            return std::nullopt;
        }
        return m_in.matrix.cell(m_row, column, m_locale.codec());
    }

    double number(const QString& text) const {
        auto parsed = platform::parseDecimal(text, m_in.decimalSeparator);
        if (!parsed) {
            throw ConversionError{text, m_row, false};
        }
        return *parsed;
    }

    QDate date(const QString& text) const {
        auto parsed = m_locale.parseShortDate(text);
        if (!parsed) {
            throw ConversionError{text, m_row, true};
        }
        return *parsed;
    }

    void titleRow() {
        QString* targets[] = {&m_t.AsOfDate, &m_t.ToleranceDays, &m_t.SupplierName};
        for (int i = 0; i < 3; ++i) {
            if (auto text = value(m_t.mtVarTitul, TitleFields + i)) {
                *targets[i] = *text;
            }
        }
    }

    void debtorRow() {
        static const char16_t* const kTextFields[] = {u"OdbNazev", u"OdbUlice", u"OdbMisto",
                                                      u"OdbPSC",   u"OdbStat",  u"OdbWWW",
                                                      u"OdbTel",   u"OdbMobil", u"OdbICO"};
        static const char16_t* const kAmountFields[] = {u"Celkem", u"ZbyvaUh", u"CelkemDobr", u"ZbyvaUhDobr"};
        memtable::MemTable& firmy = m_t.mtFirmy;
        memtable::MemTable& map = m_t.mtVarHeader;
        firmy.append();
        ++m_debtorCounter;
        for (int i = 0; i < 9; ++i) {
            if (auto text = value(map, DebtorFields + i)) {
                firmy.setText(kTextFields[i], *text);
            }
        }
        if (auto text = value(map, DebtorFields + 9)) {
            m_email = text->trimmed();
        }
        firmy.setText(u"OdbEmail", m_email);
        for (int i = 0; i < 4; ++i) {
            if (auto text = value(map, DebtorFields + 10 + i)) {
                firmy.setFloat(kAmountFields[i], number(*text));
            }
        }
        firmy.setBool(u"Exportovat", m_state.addressExport(m_email));
        firmy.setBool(u"JeEmail", !m_email.isEmpty());
        firmy.setInt(u"ID", m_debtorCounter);
        firmy.post();
    }

    void documentRow(memtable::MemTable& map, int first, bool creditNote) {
        memtable::MemTable& doklady = m_t.mtDoklady;
        doklady.append();
        if (auto text = value(map, first)) {
            m_documentNumber = *text;
        }
        doklady.setText(u"CisloDokl", m_documentNumber);
        if (auto text = value(map, first + 1)) {
            doklady.setText(u"DatDPH", *text);
        }
        if (auto text = value(map, first + 2)) {
            doklady.setText(u"DatSplat", *text);
            m_dueDate = date(*text);
        }
        if (auto text = value(map, first + 3)) {
            doklady.setText(u"DatVyst", *text);
        }
        if (auto text = value(map, first + 4)) {
            doklady.setText(u"VarSymbol", *text);
        }
        if (auto text = value(map, first + 5)) {
            doklady.setFloat(u"Celkem", number(*text));
        }
        if (auto text = value(map, first + 6)) {
            doklady.setFloat(u"CelkNeprop", number(*text));
        }
        if (auto text = value(map, first + 7)) {
            doklady.setText(u"Mena", *text);
        }
        if (!m_dueDate.isValid()) {
            // No due date so far: the field code is missing from the export.
            throw ConversionError{QString(), m_row, true};
        }
        doklady.setFloat(u"DnuPoSplat", double(m_dueDate.daysTo(m_in.today)));
        doklady.setBool(u"Dobropis", creditNote);
        const state::StateTables::DocumentState stored = m_state.documentState(m_documentNumber);
        doklady.setBool(u"Exportovat", stored.exportFlag);
        doklady.setBool(u"JePozn", stored.hasNote);
        doklady.setInt(u"ID", m_debtorCounter);
        doklady.post();
    }

    ExportTables& m_t;
    const BuildInput& m_in;
    const state::StateSnapshot m_state;
    const platform::SystemLocale& m_locale;
    std::array<QString, TitleFields + 3> m_defVar;
    static constexpr int kUnknownColumn = -2;
    static constexpr int kNoColumn = -1;
    std::array<int, TitleFields + 3> m_columns;
    int m_row = 0;
    int m_debtorCounter = 0;
    // Carried over to the next rows when a row lacks them.
    QString m_email;
    QString m_documentNumber;
    QDate m_dueDate;
};

QString conversionMessage(const ConversionError& e) {
    return QStringLiteral("Hodnotu \"") + e.text + QStringLiteral("\" na řádku ") +
           QString::number(e.row + 1) + QStringLiteral(" vstupního souboru nelze převést na ") +
           (e.date ? QStringLiteral("datum.") : QStringLiteral("číslo."));
}

}  // namespace

bool BuildTables(ExportTables& tables, const BuildInput& input, state::StateTables& stateTables,
                 UserInterface& ui) {
    ui.processEvents();
    ui.setProgressMaximum(input.matrix.lastRow());
    ui.processEvents();

    tables.NoDocuments = false;
    tables.mtFirmy.close();
    tables.mtFirmy.open();
    tables.mtDoklady.close();
    tables.mtDoklady.open();
    try {
        TableBuilder builder(tables, input, stateTables);
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
