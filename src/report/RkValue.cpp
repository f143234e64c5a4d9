#include "report/RkValue.h"

#include <cmath>
#include <cstring>

namespace tervalo::report {

double decodeRk(uint32_t rk) {
    double value;
    if (rk & 0x02) {
        value = double(int32_t(rk) >> 2);
    } else {
        const uint64_t bits = uint64_t(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

std::optional<uint32_t> encodeRk(double value) {
    const auto fits = [](double v, uint32_t rk) {
        const double back = decodeRk(rk);
        return std::memcmp(&back, &v, sizeof v) == 0;
    };
    const auto asInteger = [&](double v, uint32_t flag) -> std::optional<uint32_t> {
        if (std::isfinite(v) && v == std::trunc(v) && v >= -536870912.0 && v <= 536870911.0) {
            const uint32_t rk = (uint32_t(int32_t(v)) << 2) | 0x02 | flag;
            if (fits(value, rk)) {
                return rk;
            }
        }
        return std::nullopt;
    };
    const auto asDouble = [&](double v, uint32_t flag) -> std::optional<uint32_t> {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        if ((bits & 0xFFFFFFFFu) == 0 && (bits & 0x300000000ull) == 0) {
            const uint32_t rk = uint32_t(bits >> 32) | flag;
            if (fits(value, rk)) {
                return rk;
            }
        }
        return std::nullopt;
    };
    if (auto rk = asInteger(value, 0)) {
        return rk;
    }
    if (auto rk = asDouble(value, 0)) {
        return rk;
    }
    if (auto rk = asInteger(std::round(value * 100), 0x01)) {
        return rk;
    }
    return asDouble(value * 100, 0x01);
}

}  // namespace tervalo::report
