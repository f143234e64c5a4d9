#include "app/UrlLink.h"

#include <gtest/gtest.h>

using tervalo::app::TUrlType;
using tervalo::app::UrlLink;

TEST(UrlLink, prefixesAndMailParts) {
    UrlLink web;
    web.URL = QStringLiteral("www.firma.cz");
    EXPECT_EQ(web.fullAddress(), QStringLiteral("http://www.firma.cz"));
    web.URLType = TUrlType::utCustom;
    web.CustomURLType = QStringLiteral("x-app:");
    EXPECT_EQ(web.fullAddress(), QStringLiteral("x-app:www.firma.cz"));

    UrlLink mail;
    mail.URL = QStringLiteral("podpora@firma.cz");
    mail.URLType = TUrlType::utMail;
    EXPECT_EQ(mail.fullAddress(), QStringLiteral("mailto:podpora@firma.cz"));
    mail.MailSubject = QStringLiteral("Dotaz");
    mail.MailBody = QStringList{QStringLiteral("Dobrý den"), QStringLiteral("děkuji")};
    EXPECT_EQ(mail.fullAddress(),
              QStringLiteral("mailto:podpora@firma.cz?Subject=Dotaz&Body=Dobrý den%0D%0Aděkuji%0D%0A"));
    // Without a subject the first part that follows begins with "?".
    mail.MailSubject.clear();
    mail.Cc = QStringLiteral("a@b.cz");
    mail.Bcc = QStringLiteral("c@d.cz");
    EXPECT_EQ(
        mail.fullAddress(),
        QStringLiteral("mailto:podpora@firma.cz?Body=Dobrý den%0D%0Aděkuji%0D%0A&Bcc=c@d.cz&Cc=a@b.cz"));
}
