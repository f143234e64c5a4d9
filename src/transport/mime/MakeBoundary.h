#pragma once

#include <QString>

namespace tervalo::transport {

// A multipart boundary of 34 characters: the millisecond counter (or, within one millisecond,
// the previous boundary's counter plus one) and a random number, 8
// upper-case hexadecimal digits each, joined by "_", with the suffix "_Synapse_boundary". Two
// boundaries made one after the other always differ.
QString MakeBoundary();

}  // namespace tervalo::transport
