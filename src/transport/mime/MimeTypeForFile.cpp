#include "transport/mime/MimeTypeForFile.h"

#include <array>

namespace tervalo::transport {

namespace {

struct KnownType {
    const char* extension;
    const char* type;
    const char* subtype;
};

// Subtypes keep the capitalisation mail readers have always received from this program.
constexpr std::array<KnownType, 26> kKnownTypes{{
    {"AU", "audio", "basic"},
    {"AVI", "video", "x-msvideo"},
    {"BMP", "image", "BMP"},
    {"DOC", "application", "MSWord"},
    {"EPS", "application", "Postscript"},
    {"GIF", "image", "GIF"},
    {"JPEG", "image", "JPEG"},
    {"JPG", "image", "JPEG"},
    {"MID", "audio", "midi"},
    {"MOV", "video", "quicktime"},
    {"MPEG", "video", "MPEG"},
    {"MPG", "video", "MPEG"},
    {"MP2", "audio", "mpeg"},
    {"MP3", "audio", "mpeg"},
    {"PDF", "application", "PDF"},
    {"PNG", "image", "PNG"},
    {"PS", "application", "Postscript"},
    {"QT", "video", "quicktime"},
    {"RA", "audio", "x-realaudio"},
    {"RTF", "application", "RTF"},
    {"SND", "audio", "basic"},
    {"TIF", "image", "TIFF"},
    {"TIFF", "image", "TIFF"},
    {"WAV", "audio", "x-wav"},
    {"WPD", "application", "Wordperfect5.1"},
    {"ZIP", "application", "ZIP"},
}};

}  // namespace

MimeType MimeTypeForFile(QStringView fileName) {
    const QStringView name = fileName.mid(fileName.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    // A name without an extension is looked up whole.
    const QString key = (dot >= 0 ? name.mid(dot + 1) : name).toString().toUpper();
    for (const KnownType& known : kKnownTypes) {
        if (key == QLatin1String(known.extension)) {
            return {QLatin1String(known.type), QLatin1String(known.subtype)};
        }
    }
    return {QStringLiteral("application"), QStringLiteral("octet-stream")};
}

}  // namespace tervalo::transport
