#include "compose/FillMailClientList.h"

#include "transport/mailclient/TJclEmail.h"

namespace tervalo::compose {

namespace {

void fillFrom(EmailKlientTable& table, const transport::TJclEmail& email) {
    for (const transport::TJclMapiClient& client : email.ClientList()) {
        table.append(client.ClientTitle, client.ClientLibraryPath);
    }
    if (email.DefaultClientPos() >= 0) {
        table.defaultClient = email.ClientList()[email.DefaultClientPos()].ClientTitle;
    }
    if (email.SystemMailPos() >= 0) {
        table.submissionProgram = email.ClientList()[email.SystemMailPos()].ClientLibraryPath;
    }
    // Without a desktop default no row is current, so that nothing (least of all the system's mail
    // submission, last in the list) is saved as the chosen client unless the user picks it.
    table.current = email.SelectedClientPos() < table.rows.size() ? email.SelectedClientPos() : -1;
}

}  // namespace

void FillMailClientList(EmailKlientTable& mtEmailKlient) {
    mtEmailKlient.reopen();
    fillFrom(mtEmailKlient, transport::TJclEmail());
}

void FillMailClientList(EmailKlientTable& mtEmailKlient,
                        const transport::MailClientEnvironment& environment) {
    mtEmailKlient.reopen();
    fillFrom(mtEmailKlient, transport::TJclEmail(environment));
}

}  // namespace tervalo::compose
