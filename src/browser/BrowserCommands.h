#pragma once

#include "import/ExportTables.h"
#include "platform/UserInterface.h"
#include "state/StateTables.h"

#include <functional>
#include <optional>

namespace tervalo::browser {

// The commands on the current debtor (mtFirmy) and current document (mtDoklady): exclusions, notes,
// the temporary address change and the web page. Exclusions and notes are stored at once; the
// address change lives only in the loaded debtor list.
class BrowserCommands {
public:
    // Opens an address with the desktop's program for it.
    using OpenAddress = std::function<void(const QString&)>;

    BrowserCommands(import::ExportTables& tables, state::StateTables& stateTables, UserInterface& ui,
                    OpenAddress openAddress);

    void ShowCatchAllMessage(const QString& what);
    bool RequireDebtorEmail(bool tell);

    void ToggleDebtorExport();
    void ToggleDocumentExport();
    void ChangeAddress();
    bool ChangeDebtorEmail();
    void AddressNote();
    void EditAddressNote(const QString& address);
    void DocumentNote();
    void EditDocumentNote(const QString& number);
    void VisitDebtorWeb();
    // Opens the text as a web page (WebPageAddress); anything else is refused with a warning.
    void OpenWebAddress(const QString& text);

    bool currentDebtorIsCatchAll() const;

private:
    // Runs a change of the debtor row with the current document remembered and the document grid
    // still, so the user stays on the same document and sees no flicker.
    void keepingDocumentPosition(const std::function<void()>& change);
    // The note dialog, shown again with the typed note and a warning for as long as the note holds
    // characters the code page cannot store.
    std::optional<QString> askNote(NoteDialogRequest request);

    import::ExportTables& m_tables;
    state::StateTables& m_state;
    UserInterface& m_ui;
    OpenAddress m_openAddress;
};

}  // namespace tervalo::browser
