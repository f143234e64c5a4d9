#pragma once

#include "app/AppSession.h"
#include "sending/BulkEmailingTexts.h"
#include "sending/Protocol.h"
#include "sending/RunBulkEmailing.h"
#include "support/FakeUserInterface.h"
#include "support/RealSmtpServer.h"
#include "support/TempAppDir.h"

#include <QJsonObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace tervalo::test {

// A program folder after start-up with an export of six debtors, in name order:
//   Alfa     alfa@alfa.cz    FV1, FV2            included
//   Beta     (no address)    FV3
//   Delta    delta@delta.cz  FV5, FV6            both documents excluded
//   Ema      ema@ema.cz      FV7, FV8            FV8 excluded
//   Gama     gama@gama.cz    FV4                 the address excluded
//   Ostatní  (no address)    FV9                 the catch-all group
// The settings send by SMTP to 127.0.0.1 with authentication and a copy address.
struct BulkFixture {
    BulkFixture();

    // Loads the export; with the browser's "jen firmy s e-mailem" when asked.
    void load(bool onlyWithEmail = false);
    // The SMTP settings for this server (authentication on, account "ucet"/"heslo").
    void useServer(const transport::testing::RealSmtpServer& server);
    int run(const std::optional<sending::TestMode>& testMode = std::nullopt);

    QString currentDebtor() const { return session.tables.mtFirmy.text(u"OdbNazev"); }
    QStringList protocolLines() const { return protocol.linesFrom(0); }

    TempAppDir dir;
    app::AppSession session{platform::SystemLocale()};
    FakeUserInterface ui;
    sending::Protocol protocol;
    sending::BulkEmailingTexts view;
    // Left empty: the real ones.
    platform::InternetCheck isInternetConnected;
    decltype(sending::BulkEmailingContext::transmitSmtpReminder) transmitSmtpReminder;
    transport::SmtpSessionOptions smtpOptions;
    // Passed on to the run; by default none.
    std::unique_ptr<state::SendJournal> journal;
    std::function<bool()> stopWanted;
    std::function<bool(const QString&)> confirmResend;
    std::optional<int> forcedLevel;

    // The send journal of the folder, for the runs that follow.
    state::SendJournal& openJournal();
};

// The server's account for the bulk runs.
QStringList authenticatingServerArguments(const QStringList& more = {});

// What a mail reader sees in a stored message, plus "archive": the text of Doklady.txt inside the
// attached Doklady.zip, decoded from Windows-1250 (empty without an attachment).
QJsonObject readReminder(const QString& messageFile);
// The text of a read reminder's first part: its body.
QString bodyOf(const QJsonObject& reminder);

// The protocol lines of a run that started at `time`, with its per-reminder lines in between.
QStringList runLines(const QString& time, const QStringList& middle, int generated, int skipped,
                     const QString& testLine = {}, int failed = 0);

}  // namespace tervalo::test
