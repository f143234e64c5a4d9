#include "settings/PasswordStore.h"

#include "platform/FileWrite.h"
#include "platform/TextFile.h"

#include <QFileInfo>
#include <QRandomGenerator>

namespace tervalo::app {

namespace {

// A block of the password file: the filler first, then the length and the inverted text over its
// start.
QByteArray makeBlock(const QByteArray& text) {
    QByteArray block(1, char(PasswordStore::kMaxTextLength));
    block += InvertBytes(RandomFiller());
    const QByteArray cut = text.left(PasswordStore::kMaxTextLength);
    block[0] = char(cut.size());
    block.replace(1, cut.size(), InvertBytes(cut));
    return block;
}

}  // namespace

QByteArray InvertBytes(const QByteArray& bytes) {
    QByteArray inverted(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        inverted[i] = char(~static_cast<unsigned char>(bytes[i]));
    }
    return inverted;
}

QByteArray RandomFiller() {
    QByteArray filler(PasswordStore::kMaxTextLength, Qt::Uninitialized);
    for (char& ch : filler) {
        ch = char(QRandomGenerator::global()->bounded(32, 127));
    }
    return filler;
}

int LoadPassword(AppSettings& settings, const QString& appDir, const platform::AnsiCodec& codec) {
    settings.SMTPPassword.clear();
    const QString path = appDir + PasswordStore::fileName();
    if (!QFileInfo::exists(path)) {
        return 0;
    }
    auto bytes = platform::TextFile::readBytes(path);
    // A file shorter than its layout has no complete password block: no password, no message.
    if (!bytes || bytes->size() < PasswordStore::kFileSize) {
        return -1;
    }
    const auto length = static_cast<unsigned char>(bytes->at(PasswordStore::kPasswordBlockOffset));
    settings.SMTPPassword =
        codec.decode(InvertBytes(bytes->mid(PasswordStore::kPasswordBlockOffset + 1, length)));
    return 0;
}

int SavePassword(const AppSettings& settings, const QString& appDir, const platform::SystemLocale& locale,
                 const QDate& today) {
    QByteArray file(
        "\x0b"
        "FL1UNISTALL",
        12);
    file += QByteArray("\x01\x00\x00\x00", 4);
    file += makeBlock(locale.codec().encode(locale.formatShortDate(today)));
    file += makeBlock(locale.codec().encode(settings.SMTPPassword));
    // The scrambling is no protection: only the file's permissions keep the password to its owner.
    return platform::FileWrite::replaceDurably(appDir + PasswordStore::fileName(), file,
                                               platform::FileAccess::ownerOnly)
               ? 0
               : -1;
}

}  // namespace tervalo::app
