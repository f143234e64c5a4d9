#pragma once

#include "transport/charset/Charset.h"

#include "platform/AnsiCodec.h"

namespace tervalo::transport {

struct CharsetInfo {
    Charset charset;
    const char* label;  // written into messages and understood by iconv
    int codePage;       // of the built-in single-byte table, 0 for none
};

const CharsetInfo& charsetInfo(Charset charset);

// The built-in table of a single-byte set, or null for the sets without one (multi-byte sets and
// UTF-8), which the built-in path treats as ISO 8859-1.
const platform::AnsiCodec* builtInCodec(Charset charset);

}  // namespace tervalo::transport
