#include "defgen/DefFileBuilder.h"
#include "import/DefFile.h"
#include "support/CaseName.h"
#include "support/DemoData.h"
#include "support/TempAppDir.h"

#include <gtest/gtest.h>

using namespace tervalo;
using import::DefFile::CheckDefFile;
using import::DefFile::DefVar;
using import::DefFile::GetTagValue;
using import::DefFile::ReadDefRecord;

namespace {

const platform::AnsiCodec& codec() {
    return test::cp1250();
}

QByteArray validFile() {
    tools::DefFileContent content;
    content.records[1] = tools::varTag(QStringLiteral("44"));
    content.records[2] = QStringLiteral("odběratel #VAR_Odběr#");
    return tools::buildDefFile(content);
}

struct CheckCase {
    const char* name;
    std::function<QByteArray()> bytes;  // nothing written when it returns a null array
    QString section;
    int expected;
};

class CheckDefFileTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckDefFileTest, returnsItsCode) {
    test::TempAppDir dir;
    QByteArray bytes = GetParam().bytes();
    if (!bytes.isNull()) {
        dir.write(QStringLiteral("uhterv.def"), bytes);
    }
    EXPECT_EQ(CheckDefFile(dir.file(QStringLiteral("uhterv.def")), GetParam().section, codec()),
              GetParam().expected);
}

QByteArray withHeaderByte(int offset, char value) {
    QByteArray bytes = validFile();
    bytes[offset] = value;
    return bytes;
}

QByteArray withSection(const QString& name) {
    tools::DefFileContent content;
    content.sectionName = name;
    return tools::buildDefFile(content);
}

const QString kUhterv = QStringLiteral("UHTERV");

INSTANTIATE_TEST_SUITE_P(
    Codes, CheckDefFileTest,
    ::testing::Values(
        CheckCase{"usable", validFile, kUhterv, 0},
        CheckCase{"exactly_299_bytes_with_no_records", [] { return withSection(QStringLiteral("UHTERV")); },
                  kUhterv, 0},
        CheckCase{"section_in_lower_case", [] { return withSection(QStringLiteral("uhterv")); }, kUhterv, 0},
        CheckCase{"no_expected_section", [] { return withSection(QStringLiteral("JINE")); }, QString(), 0},
        CheckCase{"missing", [] { return QByteArray(); }, kUhterv, -2},
        CheckCase{"empty_file", [] { return QByteArray(""); }, kUhterv, -1},
        CheckCase{"298_bytes", [] { return withSection(QStringLiteral("UHTERV")).left(298); }, kUhterv, -1},
        CheckCase{"magic_in_lower_case", [] { return withHeaderByte(0, 'p'); }, kUhterv, -3},
        CheckCase{"negative_count", [] { return withHeaderByte(17, char(0x80)); }, kUhterv, -4},
        CheckCase{"longer_section_name", [] { return withSection(QStringLiteral("UHTERVX")); }, kUhterv, -5},
        CheckCase{"other_section_name", [] { return withSection(QStringLiteral("JINE")); }, kUhterv, -5}),
    test::CaseName());

TEST(DefFile, exactly299BytesLong) {
    EXPECT_EQ(withSection(QStringLiteral("UHTERV")).size(), 299);
}

TEST(DefFile, readsRecordsUpToTheCountAsAnsiText) {
    test::TempAppDir dir;
    dir.write(QStringLiteral("uhterv.def"), validFile());
    const QString path = dir.file(QStringLiteral("uhterv.def"));
    EXPECT_EQ(ReadDefRecord(2, path, codec()), QStringLiteral("odběratel #VAR_Odběr#"));
    EXPECT_EQ(DefVar(1, path, codec()), QStringLiteral("44"));
    EXPECT_EQ(DefVar(2, path, codec()), QStringLiteral("Odběr"));
    EXPECT_EQ(ReadDefRecord(3, path, codec()), QString());
    EXPECT_EQ(ReadDefRecord(0, path, codec()), QString());
    EXPECT_EQ(ReadDefRecord(1, dir.file(QStringLiteral("missing.def")), codec()), QString());
}

TEST(DefFile, recordCountBeyondTheFileReadsEmpty) {
    tools::DefFileContent content;
    content.records[1] = tools::varTag(QStringLiteral("44"));
    content.recordCount = 40;
    test::TempAppDir dir;
    dir.write(QStringLiteral("uhterv.def"), tools::buildDefFile(content));
    EXPECT_EQ(DefVar(1, dir.file(QStringLiteral("uhterv.def")), codec()), QStringLiteral("44"));
    EXPECT_EQ(DefVar(40, dir.file(QStringLiteral("uhterv.def")), codec()), QString());
}

TEST(DefFile, tagValues) {
    struct Case {
        const char* text;
        const char* tag;
        const char* expected;
    };
    const Case cases[] = {
        {"#VAR_101#", "VAR", "101"},
        {"#var_101#", "VAR", "101"},
        {"text #VAR_Xy# more", "VAR", "Xy"},
        {"#OTHER_1# #VAR_2# #VAR_3#", "VAR", "2"},
        {"#VAR_101", "VAR", ""},
        {"#VARX_101#", "VAR", ""},
        {"#VAR_#", "VAR", ""},
        {"", "VAR", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetTagValue(QString::fromUtf8(c.text), QString::fromUtf8(c.tag)),
                  QString::fromUtf8(c.expected))
            << c.text;
    }
}

}  // namespace
