#include "FileSizeLimit.h"
#include "settings/PasswordStore.h"
#include "support/DemoData.h"
#include "support/TempAppDir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;
using app::PasswordStore::kFileSize;

namespace {

struct PasswordFixture {
    QByteArray fileBytes() const {
        QFile file(dir.file(QStringLiteral("rdata1.dti")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    int save(const QString& password) {
        app::AppSettings settings;
        settings.SMTPPassword = password;
        return app::SavePassword(settings, dir.path(), locale, QDate(2024, 3, 7));
    }
    QString load(int expectedResult = 0) {
        app::AppSettings settings;
        settings.SMTPPassword = QStringLiteral("left over");
        EXPECT_EQ(app::LoadPassword(settings, dir.path(), locale.codec()), expectedResult);
        return settings.SMTPPassword;
    }

    test::TempAppDir dir;
    platform::SystemLocale locale;
};

// Every character Windows-1250 holds, byte 0 included.
QString everyCodePageCharacter() {
    QString all;
    for (int byte = 0; byte < 256; ++byte) {
        char16_t ch = test::cp1250().decodeByte(static_cast<unsigned char>(byte));
        if (test::cp1250().encodeChar(ch) == byte) {
            all += QChar(ch);
        }
    }
    return all;
}

bool allInFillerRange(const QByteArray& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char b) {
        auto v = static_cast<unsigned char>(b);
        return v >= 129 && v <= 223;
    });
}

TEST(PasswordStore, fileHasItsLayout) {
    PasswordFixture f;
    ASSERT_EQ(f.save(QStringLiteral("Heslo č.1")), 0);
    const QByteArray bytes = f.fileBytes();
    ASSERT_EQ(bytes.size(), kFileSize);
    EXPECT_EQ(bytes.left(12), QByteArray("\x0b"
                                         "FL1UNISTALL"));
    EXPECT_EQ(bytes.mid(12, 4), QByteArray("\x01\x00\x00\x00", 4));

    const QByteArray date = test::cp1250().encode(QStringLiteral("7.3.2024"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[16]), date.size());
    EXPECT_EQ(app::InvertBytes(bytes.mid(17, date.size())), date);
    EXPECT_TRUE(allInFillerRange(bytes.mid(17 + date.size(), 255 - date.size())));

    const QByteArray password = test::cp1250().encode(QStringLiteral("Heslo č.1"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[272]), password.size());
    EXPECT_EQ(bytes.mid(273, password.size()), app::InvertBytes(password));
    EXPECT_TRUE(allInFillerRange(bytes.mid(273 + password.size())));
    // A fresh filler for every block and every save.
    EXPECT_NE(bytes.mid(300, 200), bytes.mid(44, 200));
    ASSERT_EQ(f.save(QStringLiteral("Heslo č.1")), 0);
    EXPECT_NE(f.fileBytes().mid(300), bytes.mid(300));
}

TEST(PasswordStore, everyPasswordUpTo255CharactersComesBack) {
    const QString all = everyCodePageCharacter();
    ASSERT_GT(all.size(), 250);
    std::vector<QString> passwords = {QString(),     QStringLiteral(" "), QString(1, QChar(0)),
                                      all.left(255), all.right(255),      QString(255, all.back())};
    for (qsizetype i = 0; i < all.size(); i += 37) {
        passwords.push_back(all.mid(i, 37));
    }
    for (const QString& password : passwords) {
        PasswordFixture f;
        ASSERT_EQ(f.save(password), 0);
        EXPECT_EQ(f.load(), password) << password.size();
    }
}

TEST(PasswordStore, longerPasswordComesBackCutTo255) {
    PasswordFixture f;
    QString password;
    for (int i = 0; i < 300; ++i) {
        password += QChar(u'a' + i % 26);
    }
    ASSERT_EQ(f.save(password), 0);
    EXPECT_EQ(f.fileBytes().size(), kFileSize);
    EXPECT_EQ(f.load(), password.left(255));
}

TEST(PasswordStore, fillerAndDateBlockDoNotMatter) {
    PasswordFixture f;
    ASSERT_EQ(f.save(QStringLiteral("tajne")), 0);
    QByteArray bytes = f.fileBytes();
    bytes.replace(0, 272, QByteArray(272, 'z'));         // signature, integer, date block
    bytes.replace(273 + 5, 250, QByteArray(250, '\0'));  // password filler
    f.dir.write(QStringLiteral("rdata1.dti"), bytes + QByteArray("trailing bytes"));
    EXPECT_EQ(f.load(), QStringLiteral("tajne"));
}

TEST(PasswordStore, missingOrShortFileGivesAnEmptyPassword) {
    PasswordFixture f;
    EXPECT_EQ(f.load(0), QString());
    ASSERT_EQ(f.save(QStringLiteral("tajne")), 0);
    f.dir.write(QStringLiteral("rdata1.dti"), f.fileBytes().left(kFileSize - 1));
    EXPECT_EQ(f.load(-1), QString());
}

TEST(PasswordStore, failedSaveKeepsTheOldPassword) {
    PasswordFixture f;
    ASSERT_EQ(f.save(QStringLiteral("stare heslo")), 0);
    {
        test::FileSizeLimit limit(100);
        EXPECT_EQ(f.save(QStringLiteral("nove heslo")), -1);
    }
    EXPECT_EQ(f.load(), QStringLiteral("stare heslo"));
}

TEST(InvertBytes, isItsOwnInverse) {
    EXPECT_EQ(app::InvertBytes(QByteArray()), QByteArray());
    EXPECT_EQ(app::InvertBytes(QByteArray("\x00\x01\x7f\x80\xff", 5)), QByteArray("\xff\xfe\x80\x7f\x00", 5));
    const QByteArray filler = app::RandomFiller();
    ASSERT_EQ(filler.size(), 255);
    EXPECT_TRUE(std::all_of(filler.begin(), filler.end(), [](char c) { return c >= 32 && c <= 126; }));
    EXPECT_EQ(app::InvertBytes(app::InvertBytes(filler)), filler);
}

}  // namespace
