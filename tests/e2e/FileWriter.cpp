// The writers of whole files that only the windows reach, run from a process of their own so that
// strace can follow their system calls:
//
//   file_writer protocol PATH            saves a protocol to PATH as the protocol window's save does
//   file_writer help SOURCE TARGET       copies a help file as the version setup does
#include "app/VersionSetup.h"
#include "platform/SilentUserInterface.h"
#include "sending/Protocol.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// The save dialog answered with one path.
class SaveTo : public tervalo::platform::SilentUserInterface {
public:
    explicit SaveTo(QString path) : m_path(std::move(path)) {}
    std::optional<QString> chooseSaveFile(const tervalo::FileDialogRequest&) override { return m_path; }

private:
    QString m_path;
};

bool run(const QStringList& args) {
    if (args.size() == 3 && args[1] == QStringLiteral("protocol")) {
        tervalo::sending::Protocol protocol;
        protocol.AddProtocolLine(QStringLiteral("Upomínka odeslána: firma@dluznik.cz"));
        SaveTo ui(args[2]);
        return tervalo::sending::SaveProtocol(protocol, ui);
    }
    if (args.size() == 4 && args[1] == QStringLiteral("help")) {
        return tervalo::app::copyFileWithDate(args[2], args[3]);
    }
    std::fprintf(stderr, "usage: file_writer protocol PATH | help SOURCE TARGET\n");
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    return run(QCoreApplication::arguments()) ? 0 : 1;
}
