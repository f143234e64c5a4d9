#pragma once

#include "platform/AnsiCodec.h"

#include <QString>

namespace tervalo::import {

// The definition file: which section and row-kind texts and which field codes the export uses.
//
// Layout (integers little-endian):
//   offset  size  content
//   0       14    magic "PCDEFFILE 1.00", no terminator
//   14      4     record count N, signed; must not be negative
//   18      16    not interpreted (4 + 8 + 4 bytes)
//   34      9     section name: length byte + 8 character bytes; must be "UHTERV" in any letter case
//   43      256   record 0, must be present; content unused
//   43+256n 256   record n (1..N): length byte L + L bytes of ANSI text holding tags "#NAME_value#"
namespace DefFile {

inline constexpr char kMagic[] = "PCDEFFILE 1.00";
inline constexpr int kMagicSize = 14;
inline constexpr int kHeaderSize = 43;
inline constexpr int kRecordSize = 256;

// Result codes of CheckDefFile.
enum Code : int {
    Usable = 0,
    Unreadable = -1,  // cannot be opened or too short for the header and record 0
    Missing = -2,
    BadMagic = -3,
    NegativeCount = -4,
    WrongSection = -5,
};

int CheckDefFile(const QString& path, const QString& expectedSection, const platform::AnsiCodec& codec);

// The text of record n (n >= 1), or empty when it does not exist or the file cannot be read. Opens and
// closes the file on every call.
QString ReadDefRecord(int n, const QString& path, const platform::AnsiCodec& codec);

// The value of the first tag "#tagName_value#" in the text (tag name in any letter case), or empty.
QString GetTagValue(const QString& text, const QString& tagName);

// The VAR tag of record n.
QString DefVar(int n, const QString& path, const platform::AnsiCodec& codec);

}  // namespace DefFile

}  // namespace tervalo::import
