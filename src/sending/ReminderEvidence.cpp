#include "sending/ReminderEvidence.h"

#include "platform/FileWrite.h"

#include <QDir>
#include <QFileInfo>

namespace tervalo::sending {

std::optional<QString> SaveKeptMessage(const state::SendJournal& journal, qint64 id, const QString& path) {
    const std::optional<QByteArray> message = journal.message(id);
    if (!message) {
        return QStringLiteral(
                   "U záznamu %1 deníku odeslaných upomínek není zpráva uložena: byl zapsán "
                   "dříve, než deník zprávy ukládal.")
            .arg(id);
    }
    if (!platform::FileWrite::replaceDurably(path, *message)) {
        return QStringLiteral("Soubor %1 nelze zapsat.").arg(QDir::toNativeSeparators(path));
    }
    return std::nullopt;
}

void SaveReminderEvidence(const state::SendJournal& journal, const state::JournalRecord& record,
                          const QString& folder, UserInterface& ui) {
    FileDialogRequest request;
    request.title = QStringLiteral("Uložit upomínku jako důkaz");
    request.filter = QStringLiteral("E-mailové zprávy (*.eml)|*.eml|Všechny soubory (*.*)|*.*");
    request.defaultExtension = QStringLiteral("eml");
    request.initialFolder = folder;
    request.fileName = QStringLiteral("Upominka_%1_%2_%3.eml")
                           .arg(record.debtorId)
                           .arg(record.time.toString(QStringLiteral("yyyy-MM-dd_HHmm")))
                           .arg(record.id);
    std::optional<QString> path = ui.chooseSaveFile(request);
    if (!path) {
        return;
    }
    if (QFileInfo(*path).suffix().isEmpty()) {
        *path += QStringLiteral(".eml");
    }
    if (const std::optional<QString> failure = SaveKeptMessage(journal, record.id, *path)) {
        ui.error(*failure);
    }
}

}  // namespace tervalo::sending
