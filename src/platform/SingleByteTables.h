#pragma once

#include <vector>

namespace tervalo::platform {

// Byte -> UTF-16 table of one single-byte character set.
struct SingleByteTable {
    const char* name;           // IANA-style label, e.g. "windows-1250"
    int codePage;               // Windows code page number, e.g. 1250
    const char16_t* toUnicode;  // 256 entries
};

const std::vector<SingleByteTable>& singleByteTables();

}  // namespace tervalo::platform
