#pragma once

#include "platform/SystemLocale.h"
#include "settings/AppSettings.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace tervalo::app {

// The SMTP password file rdata1.dti in the program folder: always 528 bytes, integers little-endian.
//
//   offset  size  content
//   0       12    signature: the byte 11 and the 11 ASCII characters "FL1UNISTALL"; not checked
//   12      4     the 32-bit integer 1; not checked
//   16      256   date block: length byte L, L inverted bytes of the save date as short date text,
//                 then filler; not read back
//   272     256   password block: length byte P, P inverted bytes of the password, then filler
//
// Each block starts as the length byte 255 and 255 inverted random characters with codes 32 to 126
// (so bytes 129 to 223); the length and text are then written over its start. Length bytes are not
// inverted. The scrambling only keeps the password from being read at a glance.
namespace PasswordStore {

inline constexpr int kFileSize = 528;
inline constexpr int kBlockSize = 256;
inline constexpr int kDateBlockOffset = 16;
inline constexpr int kPasswordBlockOffset = 272;
inline constexpr int kMaxTextLength = 255;

inline QString fileName() {
    return QStringLiteral("rdata1.dti");
}

}  // namespace PasswordStore

// Every byte replaced by its bitwise NOT; inverting twice gives the bytes back.
QByteArray InvertBytes(const QByteArray& bytes);
// 255 characters drawn at random from the codes 32 to 126.
QByteArray RandomFiller();

// Fills `settings.SMTPPassword` from AppDir + rdata1.dti. 0 when read or missing; -1 when the file
// cannot be read or is shorter than its layout, and the password is then empty.
int LoadPassword(AppSettings& settings, const QString& appDir, const platform::AnsiCodec& codec);

// Writes AppDir + rdata1.dti from `settings.SMTPPassword` (its first 255 characters) and `today`.
// The file is replaced through a temporary file, so a failed write keeps the old password.
// 0 on success, -1 when it cannot be written.
int SavePassword(const AppSettings& settings, const QString& appDir, const platform::SystemLocale& locale,
                 const QDate& today);

}  // namespace tervalo::app
