#include "StateTestSupport.h"

#include "state/StateTables.h"

#include "support/TempAppDir.h"

#include <QFile>

#include <functional>

#include <gtest/gtest.h>

using tervalo::platform::SystemLocale;
using tervalo::state::StateTables;
using tervalo::test::le32;
using tervalo::test::TempAppDir;

namespace {

constexpr int kPage = 512;
constexpr int kItem = 16;  // a DOKLAD key of 10 bytes and its pointer, rounded up

// Offsets in EDoklady.mdx of a tree of a few leaves under one root.
struct Tree {
    int tagHeader;
    int root;
    int firstLeaf;
};

Tree treeOf(const QByteArray& mdx) {
    const int tagHeader = int(le32(mdx, 544)) * kPage;
    const int root = int(le32(mdx, tagHeader)) * kPage;
    return {tagHeader, root, int(le32(mdx, root + 8)) * kPage};
}

void putLittleEndian(QByteArray& bytes, int offset, quint32 value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[offset + i] = char(value >> (8 * i));
    }
}
void put32(QByteArray& bytes, int offset, quint32 value) {
    putLittleEndian(bytes, offset, value, 4);
}
void put16(QByteArray& bytes, int offset, quint16 value) {
    putLittleEndian(bytes, offset, value, 2);
}

struct Damage {
    const char* name;
    std::function<void(QByteArray&, const Tree&)> apply;
};

// A table whose index has several leaves, written through the index as the program writes it.
class IndexCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        tables.OpenStateTables();
        for (int i = 0; i < kDocuments; ++i) {
            tables.SetDocumentExport(number(i), i % 3 != 0);
        }
        tables.close();
    }
    static QString number(int i) { return QStringLiteral("D%1").arg(i, 4, 10, QLatin1Char('0')); }
    QString mdxPath() const { return dir.file(QStringLiteral("EDoklady.mdx")); }
    void expectEveryFlag() {
        for (int i = 0; i < kDocuments; ++i) {
            EXPECT_EQ(tables.GetDocumentExport(number(i)), i % 3 != 0) << i;
        }
    }

    static constexpr int kDocuments = 300;
    TempAppDir dir;
    SystemLocale czech;
    StateTables tables{dir.path(), czech};
};

TEST_F(IndexCheckTest, aSoundIndexIsKeptAsItIs) {
    const QByteArray before = tervalo::test::fileBytes(mdxPath());
    ASSERT_NE(treeOf(before).root, treeOf(before).firstLeaf) << "the tree should have interior nodes";
    tables.OpenStateTables();
    EXPECT_EQ(tervalo::test::fileBytes(mdxPath()), before);
    expectEveryFlag();
}

TEST_F(IndexCheckTest, aDamagedIndexIsRebuilt) {
    const Damage damages[] = {
        {"leaf key changed", [](QByteArray& m, const Tree& t) { m.replace(t.firstLeaf + 8 + 4, 4, "ZZZZ"); }},
        {"leaf entries swapped",
         [](QByteArray& m, const Tree& t) {
             const QByteArray first = m.mid(t.firstLeaf + 8, kItem);
             m.replace(t.firstLeaf + 8, kItem, m.mid(t.firstLeaf + 8 + kItem, kItem));
             m.replace(t.firstLeaf + 8 + kItem, kItem, first);
         }},
        {"separators swapped",
         [](QByteArray& m, const Tree& t) {
             const QByteArray first = m.mid(t.root + 8 + 4, 10);
             m.replace(t.root + 8 + 4, 10, m.mid(t.root + 8 + kItem + 4, 10));
             m.replace(t.root + 8 + kItem + 4, 10, first);
         }},
        {"child is its own parent",
         [](QByteArray& m, const Tree& t) { put32(m, t.root + 8, quint32(t.root / kPage)); }},
        {"leaf lost its last entry",
         [](QByteArray& m, const Tree& t) { put32(m, t.firstLeaf, le32(m, t.firstLeaf) - 1); }},
        {"entry past the last record", [](QByteArray& m, const Tree& t) { put32(m, t.firstLeaf + 8, 9999); }},
        {"entry names a record twice",
         [](QByteArray& m, const Tree& t) { put32(m, t.firstLeaf + 8 + kItem, le32(m, t.firstLeaf + 8)); }},
        {"more items than a node holds", [](QByteArray& m, const Tree& t) { put32(m, t.firstLeaf, 200); }},
        {"root past the end of the file",
         [](QByteArray& m, const Tree& t) { put32(m, t.tagHeader, 100000); }},
        // Their product overflowed an int and passed the check that a node fits its block.
        {"keys per node and item length at their maximum",
         [](QByteArray& m, const Tree& t) {
             put16(m, t.tagHeader + 14, 0xFFFF);
             put16(m, t.tagHeader + 18, 0xFFFF);
         }},
        {"tag header at the last 32-bit page", [](QByteArray& m, const Tree&) { put32(m, 544, 0xFFFFFFFF); }},
    };
    const QByteArray sound = tervalo::test::fileBytes(mdxPath());
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.name);
        QByteArray damaged = sound;
        damage.apply(damaged, treeOf(sound));
        QFile file(mdxPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damaged);
        file.close();
        tables.OpenStateTables();
        EXPECT_NE(tervalo::test::fileBytes(mdxPath()), damaged);
        expectEveryFlag();
        tables.close();
    }
}

}  // namespace
