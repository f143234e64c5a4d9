#include "transport/MakeBoundary.h"

#include <QRandomGenerator>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace tervalo::transport {

namespace {

std::uint32_t millisecondCounter() {
    using namespace std::chrono;
    return std::uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

QString hex8(quint32 value) {
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

QString MakeBoundary() {
    // The counter must differ from the one the previous boundary used; waiting only when it does
    // not spares every other message a millisecond of sleep.
    static std::atomic<std::uint32_t> previous{millisecondCounter() - 1};
    std::uint32_t counter = millisecondCounter();
    while (counter == previous.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        counter = millisecondCounter();
    }
    previous.store(counter);
    const quint32 random = QRandomGenerator::global()->bounded(2147483647U);
    return hex8(counter) + u'_' + hex8(random) + QStringLiteral("_Synapse_boundary");
}

}  // namespace tervalo::transport
