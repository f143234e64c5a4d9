#pragma once

#include "support/FakeUserInterface.h"
#include "support/TempAppDir.h"
#include "transport/mailclient/MailClientEnvironment.h"
#include "transport/mailclient/TJclEmail.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tervalo::transport::testing {

// A desktop of our own for mail-client tests: XDG folders in a temporary folder, desktop entries
// whose programs are recording shell scripts (each writes its arguments, NUL-terminated, to
// out/NAME.args), and optionally a recording sendmail that also keeps its standard input and
// exits with the status written to out/sendmail.exit ("kill": killed by SIGKILL).
class MailDesktop {
public:
    MailDesktop();

    // A mailto handler "ID.desktop" running a recording program `program` with `execArguments`.
    void addClient(const QString& id, const QString& program,
                   const QString& execArguments = QStringLiteral("%u"));
    void makeDefault(const QString& id) const;
    // A program at sbin/sendmail with the given script body (after "#!/bin/sh").
    void addSendmail(const QByteArray& script);
    void addRecordingSendmail();
    void setSendmailExit(const QByteArray& status) const;

    // The recorded arguments of `program`, waiting up to 10 s for a program started detached.
    QStringList recordedArguments(const QString& program) const;
    bool ran(const QString& program) const;
    QByteArray sendmailInput() const;

    QString file(const QString& name) const { return m_root.file(name); }
    void write(const QString& name, const QByteArray& bytes) const { m_root.write(name, bytes); }

    // A message context answering from `ui`, with a fixed clock and boundary.
    MailClientContext context(UserInterface& ui) const;

    MailClientEnvironment environment;

private:
    QString writeProgram(const QString& path, const QByteArray& script) const;

    test::TempAppDir m_root;
};

}  // namespace tervalo::transport::testing
