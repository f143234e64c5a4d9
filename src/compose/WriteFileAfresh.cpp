#include "compose/WriteFileAfresh.h"

#include "compose/PrepareFileForWrite.h"
#include "platform/TextFile.h"

namespace tervalo::compose {

FileWrite WriteFileAfresh(const QString& path, const QByteArray& bytes, UserInterface& ui,
                          platform::FileAccess access) {
    using platform::TextFile::Overwrite;
    switch (platform::TextFile::overwriteOwnFile(path, bytes, access)) {
        case Overwrite::written:
            return FileWrite::written;
        case Overwrite::failed:
            return FileWrite::failed;
        case Overwrite::notApplicable:
            break;
    }
    if (!PrepareFileForWrite(path, ui)) {
        return FileWrite::blocked;
    }
    return platform::TextFile::writeNewFile(path, bytes, access) ? FileWrite::written : FileWrite::failed;
}

}  // namespace tervalo::compose
