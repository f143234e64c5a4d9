#pragma once

#include "platform/SystemLocale.h"
#include "settings/AppSettings.h"

#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QSpinBox;
class QTableWidget;

namespace tervalo::compose {

// The settings tab "Úroky z prodlení": the half-year rates (the shipped ones with the user's over
// them, which may be corrected or added to), the compensation of costs, and after how many days an
// export counts as old.
class LateInterestTab : public QWidget {
    Q_OBJECT
public:
    LateInterestTab(const platform::SystemLocale& locale, QWidget* parent = nullptr);

    // The program folder whose rate files the tab shows and changes (ends with "/"), asked each time
    // since it is known only after start-up; none: the tab shows no rates and keeps none.
    void setRatesFolder(std::function<QString()> appDir) { m_appDir = std::move(appDir); }

    // The controls from the record and the rate files.
    void fill(const app::AppSettings& settings);
    // Why the tab cannot be taken as it stands (a row at fault), or none.
    std::optional<QString> warning() const;
    // Writes the user's rows beside the shipped ones when they changed and the other values into the
    // record. The message when the rate file cannot be written, or none.
    std::optional<QString> store(app::AppSettings& settings);

private:
    void addRow();

    const platform::SystemLocale& m_locale;
    std::function<QString()> m_appDir;
    QCheckBox* m_chckNahradaNakladu = nullptr;
    QSpinBox* m_edtStaryExport = nullptr;
    QTableWidget* m_grSazby = nullptr;
};

}  // namespace tervalo::compose
