#pragma once

#include <QDeadlineTimer>

#include <algorithm>
#include <climits>

namespace tervalo::transport {

// How long one wait may take: `timeoutMs` (negative: no limit), cut to what is left before
// `deadline`. 0 once the deadline has passed.
inline int waitLimit(int timeoutMs, const QDeadlineTimer& deadline) {
    const qint64 left = deadline.remainingTime();
    if (left < 0) {
        return timeoutMs;
    }
    return timeoutMs < 0 ? int(std::min<qint64>(left, INT_MAX)) : int(std::min<qint64>(timeoutMs, left));
}

}  // namespace tervalo::transport
