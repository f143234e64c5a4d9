#pragma once

#include <QDialog>
#include <QStringList>

#include <optional>

class QListWidget;

namespace tervalo::app {

// TfrmSetupVer, "Verze Ekvan": the list of the accounting system's versions to choose from, the first
// line selected. OK closes it with Accepted (default button), "Zrušit" with Rejected. Minimising it
// minimises the whole application.
class TfrmSetupVer : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetupVer(const QStringList& versions, QWidget* parent = nullptr);

    // The selected line, 0-based; empty when none is selected.
    std::optional<int> selectedLine() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    QListWidget* m_listBox1 = nullptr;
};

}  // namespace tervalo::app
