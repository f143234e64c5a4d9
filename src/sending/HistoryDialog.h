#pragma once

#include "sending/HistoryRows.h"

#include <QDialog>

namespace tervalo::sending {

// TfrmHistorie, "Historie upomínek": the reminders of one debtor, newest first.
class TfrmHistorie : public QDialog {
    Q_OBJECT
public:
    TfrmHistorie(const QString& debtorName, const std::vector<HistoryRow>& rows, QWidget* parent = nullptr);
};

}  // namespace tervalo::sending
