#include "support/TempAppDir.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace tervalo::test {

TempAppDir::TempAppDir() {
    EXPECT_TRUE(m_dir.isValid());
}

QString TempAppDir::path() const {
    return m_dir.path() + QLatin1Char('/');
}

void TempAppDir::write(const QString& name, const QByteArray& bytes) const {
    QFile out(file(name));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly)) << name.toStdString();
    ASSERT_EQ(out.write(bytes), bytes.size());
}

QByteArray TempAppDir::read(const QString& name) const {
    return fileBytes(file(name));
}

void TempAppDir::copyFixture(const QString& fixture, const QString& name) const {
    write(name.isEmpty() ? QFileInfo(fixture).fileName() : name, readFixture(fixture));
}

QString fixturePath(const QString& name) {
    return QStringLiteral(TERVALO_FIXTURES "/") + name;
}

QByteArray fileBytes(const QString& path) {
    QFile in(path);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    return in.readAll();
}

QByteArray readFixture(const QString& name) {
    QFile file(fixturePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

}  // namespace tervalo::test
