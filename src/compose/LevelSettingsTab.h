#pragma once

#include "settings/AppSettings.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace tervalo::compose {

// The settings tab "Úrovně upomínek": how many levels are used, and for the level chosen in the
// list its name, subject, body, days and deadline; the first level's subject and body are those of
// tab "Poštovní zpráva"; and whether reminders list only overdue documents. It edits a copy of the levels,
// filled by `fill` and written back by `store`.
class LevelSettingsTab : public QWidget {
    Q_OBJECT
public:
    explicit LevelSettingsTab(QWidget* parent = nullptr);

    void fill(const app::AppSettings& settings);
    // The levels and their number into `settings` (empty texts stay empty for ApplyDefaults).
    void store(app::AppSettings& settings);

private:
    void showLevel(int index);
    void keepShownLevel();
    void updateLevelStates();

    std::array<app::ReminderLevel, app::kMaxReminderLevels> m_levels;
    int m_shown = -1;
    QSpinBox* m_edtPocet = nullptr;
    QComboBox* m_cbUroven = nullptr;
    QLineEdit* m_edtNazev = nullptr;
    QLineEdit* m_edtPredmet = nullptr;
    QPlainTextEdit* m_edtText = nullptr;
    QSpinBox* m_edtDniOdPredchozi = nullptr;
    QSpinBox* m_edtDniPoSplatnosti = nullptr;
    QSpinBox* m_edtLhuta = nullptr;
    QLabel* m_lblPrvniUroven = nullptr;
    QCheckBox* m_cbJenPoSplatnosti = nullptr;
};

}  // namespace tervalo::compose
