#include "transport/mime/MakeBoundary.h"

#include <QRandomGenerator>

#include <atomic>
#include <chrono>
#include <cstdint>

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
    // The counter must differ from the one the previous boundary used. Rather than sleeping until
    // the clock moves on, a burst of messages within one millisecond counts on from the previous
    // value, which keeps boundaries made in a row distinct at no cost in time.
    static std::atomic<std::uint32_t> previous{millisecondCounter() - 1};
    std::uint32_t last = previous.load();
    std::uint32_t counter;
    do {
        const std::uint32_t now = millisecondCounter();
        counter = now == last || std::int32_t(now - last) < 0 ? last + 1 : now;
    } while (!previous.compare_exchange_weak(last, counter));
    const quint32 random = QRandomGenerator::global()->bounded(2147483647U);
    return hex8(counter) + u'_' + hex8(random) + QStringLiteral("_Synapse_boundary");
}

}  // namespace tervalo::transport
