// A reminder message rendered from arbitrary sender, recipients, subject, body and attachment name in
// any local character set. Whatever the texts hold, every rendered line must be one line: a CR, LF
// or NUL inside it would end a header early or smuggle in one of its own.
#include "FuzzSupport.h"

#include "transport/mime/BuildReminderMime.h"
#include "transport/mime/MimeEnvironment.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace tervalo;

constexpr std::size_t kMaxText = 300;

QString takeText(FuzzedDataProvider& input, std::size_t maxLength = kMaxText) {
    const std::string bytes = input.ConsumeRandomLengthString(maxLength * 2);
    // Pairs of bytes as UTF-16 code units: every character, surrogates and controls included.
    return QString(reinterpret_cast<const QChar*>(bytes.data()), qsizetype(bytes.size() / 2));
}

QStringList takeList(FuzzedDataProvider& input, int maxCount) {
    QStringList list;
    for (int n = input.ConsumeIntegralInRange(0, maxCount); n > 0; --n) {
        list.append(takeText(input, 80));
    }
    return list;
}

// A file name the file system takes: no slash, no NUL, not "." or "..", at most 60 characters (240 bytes in
// UTF-8).
QString attachmentName(QString name) {
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QChar(0), QLatin1Char('_'));
    name.truncate(60);
    return name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..")
               ? QStringLiteral("Doklady.zip")
               : name;
}

bool isOneLine(const QByteArray& line) {
    return !line.contains('\r') && !line.contains('\n') && !line.contains('\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::clearWorkDir();
    FuzzedDataProvider input(data, size);
    transport::MimeEnvironment environment = transport::MimeEnvironment::forSystem(fuzz::czechLocale());
    environment.charsets.local =
        transport::Charset(input.ConsumeIntegralInRange(0, int(transport::Charset::UTF_8)));
    environment.currentTime = [] { return QDateTime(QDate(2026, 12, 10), QTime(16, 47, 55)); };
    environment.makeBoundary = [] { return QStringLiteral("=_Boundary_0123456789"); };

    transport::OutgoingMail mail;
    mail.senderName = takeText(input);
    mail.senderAddress = takeText(input, 80);
    mail.to = takeList(input, 3);
    mail.cc = takeList(input, 2);
    mail.subject = takeText(input);
    mail.messageIdentifier = takeText(input, 80);
    if (input.ConsumeBool()) {
        mail.body = takeText(input, 2000);
    }
    if (input.ConsumeBool()) {
        const QString name = attachmentName(takeText(input, 100));
        mail.attachments.append(
            fuzz::writeInput(name, fuzz::bytesOf(data, std::min<std::size_t>(size, 3000))));
    }
    const auto message = transport::BuildReminderMime(mail, std::move(environment));
    for (const QByteArray& line : message->MessageLines) {
        if (!isOneLine(line)) {
            std::fprintf(stderr, "line with a line break or NUL: %s\n", line.toPercentEncoding().constData());
            std::abort();
        }
    }
    return 0;
}
