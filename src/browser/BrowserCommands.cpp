#include "browser/BrowserCommands.h"

#include "browser/WebAddress.h"
#include "import/DebtorInterest.h"
#include "platform/FieldTextWarning.h"
#include "transport/mime/AddressText.h"

namespace tervalo::browser {

namespace {
const QString kEmailWhat = QStringLiteral("e-mailovou adresu");
}

BrowserCommands::BrowserCommands(import::ExportTables& tables, state::StateTables& stateTables,
                                 UserInterface& ui, OpenAddress openAddress)
    : m_tables(tables), m_state(stateTables), m_ui(ui), m_openAddress(std::move(openAddress)) {}

bool BrowserCommands::currentDebtorIsCatchAll() const {
    return m_tables.isCatchAllGroup(m_tables.mtFirmy.text(u"OdbNazev"));
}

void BrowserCommands::ShowCatchAllMessage(const QString& what) {
    m_ui.information(
        QStringLiteral("Ve skupině ") + import::OtherGroupName +
        QStringLiteral(" jsou všechny doklady, u nichž nebyl odběratel vybraný z adresáře firem. Tato "
                       "skupina může obsahovat doklady více firem, nelze jí proto přiřadit jednu ") +
        what +
        QStringLiteral(". Chcete-li doklady správně zařadit, musíte v Ekvan každý doklad otevřít a "
                       "vybrat odběratele řádně z adresáře."));
}

bool BrowserCommands::RequireDebtorEmail(bool tell) {
    if (m_tables.mtFirmy.boolValue(u"JeEmail")) {
        return true;
    }
    if (tell) {
        m_ui.information(
            QStringLiteral("U této firmy není uvedena e-mailová adresa. Pokud ji znáte, doplňte ji příště do "
                           "adresáře v Ekvan."));
    }
    return false;
}

void BrowserCommands::keepingDocumentPosition(const std::function<void()>& change) {
    memtable::MemTable& doklady = m_tables.mtDoklady;
    const bool documents = !doklady.isEmpty();
    memtable::MemTable::Bookmark position;
    if (documents) {
        position = doklady.bookmark();
        doklady.disableControls();
    }
    change();
    if (documents) {
        doklady.gotoBookmark(position);
        doklady.enableControls();
    }
}

void BrowserCommands::ToggleDebtorExport() {
    if (currentDebtorIsCatchAll()) {
        ShowCatchAllMessage(kEmailWhat);
        return;
    }
    if (!RequireDebtorEmail(true) && !ChangeDebtorEmail()) {
        return;
    }
    memtable::MemTable& firmy = m_tables.mtFirmy;
    bool flag = false;
    keepingDocumentPosition([&] {
        firmy.edit();
        flag = !firmy.boolValue(u"Exportovat");
        firmy.setBool(u"Exportovat", flag);
        firmy.post();
    });
    m_state.SetAddressExport(firmy.text(u"OdbEmail"), flag);
}

void BrowserCommands::ToggleDocumentExport() {
    memtable::MemTable& doklady = m_tables.mtDoklady;
    if (doklady.isEmpty()) {
        return;
    }
    doklady.edit();
    const bool flag = !doklady.boolValue(u"Exportovat");
    doklady.setBool(u"Exportovat", flag);
    doklady.post();
    m_state.SetDocumentExport(doklady.text(u"CisloDokl"), flag);
    import::StoreDebtorInterest(m_tables);  // the debtor's totals count included documents only
}

void BrowserCommands::ChangeAddress() {
    if (currentDebtorIsCatchAll()) {
        ShowCatchAllMessage(kEmailWhat);
        return;
    }
    RequireDebtorEmail(true);
    ChangeDebtorEmail();
}

bool BrowserCommands::ChangeDebtorEmail() {
    memtable::MemTable& firmy = m_tables.mtFirmy;
    std::optional<QString> address = firmy.text(u"OdbEmail").trimmed();
    // A refused address is offered again as typed, so the user corrects it instead of retyping it.
    for (;;) {
        address = m_ui.askEmailAddress(firmy.text(u"OdbNazev"), *address);
        if (!address) {
            return false;
        }
        auto warning = transport::addressFieldWarning(QStringLiteral("E-mailová adresa"), *address);
        if (!warning) {
            warning = transport::invalidAddressWarning(*address);
        }
        if (!warning) {
            break;
        }
        m_ui.warning(*warning);
    }
    // The row takes the stored exclusion of the new address (included when it has none).
    const bool exportFlag = m_state.GetAddressExport(*address);
    keepingDocumentPosition([&] {
        firmy.edit();
        firmy.setText(u"OdbEmail", *address);
        firmy.setBool(u"JeEmail", true);
        firmy.setBool(u"Exportovat", exportFlag);
        firmy.post();
    });
    return true;
}

void BrowserCommands::AddressNote() {
    if (currentDebtorIsCatchAll()) {
        ShowCatchAllMessage(QStringLiteral("informaci"));
        return;
    }
    EditAddressNote(m_tables.mtFirmy.text(u"OdbEmail"));
}

void BrowserCommands::EditAddressNote(const QString& address) {
    if (address.isEmpty()) {
        m_ui.information(
            QStringLiteral("Poznámka se váže k e-mailové adrese - tato firma ji však nemá přiřazenou."));
        return;
    }
    NoteDialogRequest request;
    request.heading = QStringLiteral("Poznámka k adrese ");
    request.key = address;
    request.showLastSend = true;
    request.lastSend = QStringLiteral("[nezjištěno]");
    request.infoText = QStringLiteral(
        "Ke každé e-mailové adrese můžete zadat libovolnou poznámku. Jedná se pouze o interní text, k "
        "případné "
        "upomínce nebude připojen. UPOZORNĚNÍ: v případě změny e-mailové adresy odběratele bude tato "
        "poznámka "
        "ztracena!");
    state::AddressRecord record = m_state.readAddressNote(address);
    if (record.exists) {
        if (record.lastSend.isValid()) {
            request.lastSend = m_tables.locale.formatShortDate(record.lastSend);
        }
        request.note = record.note;
    }
    if (auto note = askNote(request)) {
        m_state.writeAddressNote(address, *note);
    }
}

std::optional<QString> BrowserCommands::askNote(NoteDialogRequest request) {
    for (;;) {
        std::optional<QString> note = m_ui.editNote(request);
        if (!note) {
            return note;
        }
        const auto warning =
            platform::unencodableFieldWarning(QStringLiteral("Poznámka"), *note, m_tables.locale.codec());
        if (!warning) {
            return note;
        }
        // Stored, these characters would become "?": the note is offered again as typed.
        m_ui.warning(*warning);
        request.note = *note;
    }
}

void BrowserCommands::DocumentNote() {
    if (m_tables.mtDoklady.isEmpty()) {
        return;
    }
    EditDocumentNote(m_tables.mtDoklady.text(u"CisloDokl"));
}

void BrowserCommands::EditDocumentNote(const QString& number) {
    NoteDialogRequest request;
    request.heading = QStringLiteral("Poznámka k dokladu ");
    request.key = number;
    request.infoText = QStringLiteral(
        "Ke každému dokladu můžete zadat libovolnou poznámku. Jedná se pouze o interní text, k případné "
        "upomínce "
        "nebude připojen.");
    state::DocumentRecord record = m_state.readDocumentNote(number);
    if (record.exists) {
        request.note = record.note;
    }
    auto note = askNote(request);
    if (!note) {
        return;
    }
    m_state.writeDocumentNote(number, *note);
    memtable::MemTable& doklady = m_tables.mtDoklady;
    doklady.edit();
    doklady.setBool(u"JePozn", !note->isEmpty());
    doklady.post();
}

void BrowserCommands::VisitDebtorWeb() {
    if (currentDebtorIsCatchAll()) {
        ShowCatchAllMessage(QStringLiteral("internetovou adresu"));
        return;
    }
    const QString web = m_tables.mtFirmy.text(u"OdbWWW").trimmed();
    if (web.isEmpty()) {
        m_ui.information(QStringLiteral(
            "U této firmy není uvedena WWW adresa. Pokud ji znáte, doplňte ji do adresáře v Ekvan."));
        return;
    }
    OpenWebAddress(web);
}

void BrowserCommands::OpenWebAddress(const QString& text) {
    if (const std::optional<QString> address = WebPageAddress(text)) {
        m_openAddress(*address);
        return;
    }
    m_ui.warning(QStringLiteral("Adresa „") + text.trimmed() +
                 QStringLiteral("“ není adresou webové stránky (http nebo https), proto nebyla otevřena."));
}

}  // namespace tervalo::browser
