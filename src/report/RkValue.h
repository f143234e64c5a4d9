#pragma once

#include <cstdint>
#include <optional>

namespace tervalo::report {

// RK: a number squeezed into 32 bits. Bit 0 set: the value is divided by 100. Bit 1 set: bits 2-31
// are a signed integer; clear: they are the top 30 bits of an IEEE double whose other bits are zero.
double decodeRk(uint32_t rk);
// The RK form of `value` when it has one that decodes to exactly the same double.
std::optional<uint32_t> encodeRk(double value);

}  // namespace tervalo::report
