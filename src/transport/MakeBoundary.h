#pragma once

#include <QString>

namespace tervalo::transport {

// A multipart boundary of 34 characters: the millisecond counter and a random number, 8
// upper-case hexadecimal digits each, joined by "_", with the suffix "_Synapse_boundary". Two
// boundaries made one after the other always differ.
QString MakeBoundary();

}  // namespace tervalo::transport
