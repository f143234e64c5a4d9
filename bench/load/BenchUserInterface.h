#pragma once

#include "cli/CliUserInterface.h"

#include <QElapsedTimer>

#include <functional>

namespace tervalo::bench {

// The command line's port (messages to stderr, no dialogs) that also handles pending events as
// often as the desktop program does while loading, and notes when the export has been read: the
// table building starts by setting the progress maximum.
class BenchUserInterface : public cli::CliUserInterface {
public:
    // Receive the progress as the main window's progress bar does; either may be empty.
    std::function<void(int)> progressMaximum;
    std::function<void(int)> progress;

    void processEvents() override;
    void setProgressMaximum(int maximum) override;
    void setProgress(int value) override;

    void startClock();
    // Nanoseconds from startClock() to the first progress maximum; 0 before it.
    qint64 readNanoseconds() const { return m_readNs; }
    // The rows of the export read, from that maximum (the index of the last row): the load empties
    // the cell matrix once the tables are built.
    int rowsRead() const { return m_lastRow + 1; }

private:
    QElapsedTimer m_clock;
    qint64 m_readNs = 0;
    int m_lastRow = -1;
};

}  // namespace tervalo::bench
