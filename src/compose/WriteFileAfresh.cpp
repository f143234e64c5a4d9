#include "compose/WriteFileAfresh.h"

#include "compose/PrepareFileForWrite.h"
#include "platform/FileWrite.h"

namespace tervalo::compose {

Afresh WriteFileAfresh(const QString& path, const QByteArray& bytes, UserInterface& ui,
                       platform::FileAccess access) {
    using platform::FileWrite::Overwrite;
    switch (platform::FileWrite::overwriteOwnFile(path, bytes, access)) {
        case Overwrite::written:
            return Afresh::written;
        case Overwrite::failed:
            return Afresh::failed;
        case Overwrite::notApplicable:
            break;
    }
    if (!PrepareFileForWrite(path, ui)) {
        return Afresh::blocked;
    }
    return platform::FileWrite::writeNewFile(path, bytes, access) ? Afresh::written : Afresh::failed;
}

}  // namespace tervalo::compose
