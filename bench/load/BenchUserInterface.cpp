#include "BenchUserInterface.h"

#include <QCoreApplication>

namespace tervalo::bench {

void BenchUserInterface::processEvents() {
    QCoreApplication::processEvents();
}

void BenchUserInterface::setProgressMaximum(int maximum) {
    if (m_readNs == 0 && m_clock.isValid()) {
        m_readNs = m_clock.nsecsElapsed();
        m_lastRow = maximum;
    }
    if (progressMaximum) {
        progressMaximum(maximum);
    }
}

void BenchUserInterface::setProgress(int value) {
    if (progress) {
        progress(value);
    }
}

void BenchUserInterface::startClock() {
    m_readNs = 0;
    m_clock.start();
}

}  // namespace tervalo::bench
