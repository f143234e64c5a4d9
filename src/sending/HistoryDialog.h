#pragma once

#include "sending/HistoryRows.h"

#include <QDialog>

#include <functional>

namespace tervalo::sending {

// TfrmHistorie, "Historie upomínek": the reminders of one debtor, newest first. "Uložit jako důkaz"
// hands `saveMessage` the position of the chosen row, whose message the journal keeps.
class TfrmHistorie : public QDialog {
    Q_OBJECT
public:
    TfrmHistorie(const QString& debtorName, const std::vector<HistoryRow>& rows,
                 std::function<void(std::size_t row)> saveMessage, QWidget* parent = nullptr);
};

}  // namespace tervalo::sending
