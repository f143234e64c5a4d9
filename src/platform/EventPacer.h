#pragma once

#include <QElapsedTimer>

namespace tervalo::platform {

// Long loops ask for pending events every few rows so that the window stays alive. Handling them
// that often costs more than the loop's own work on a large export; the pacer lets a pass through
// the event loop happen at most once per interval, which a user cannot tell from every row.
class EventPacer {
public:
    explicit EventPacer(int intervalMs = 15) : m_intervalMs(intervalMs) {}

    // True when the events should be handled now (the first call always is).
    bool due() {
        if (m_clock.isValid() && m_clock.elapsed() < m_intervalMs) {
            return false;
        }
        m_clock.start();
        return true;
    }

private:
    int m_intervalMs;
    QElapsedTimer m_clock;
};

}  // namespace tervalo::platform
