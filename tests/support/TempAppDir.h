#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace tervalo::test {

// A temporary program folder for one test; removed with the object.
class TempAppDir {
public:
    TempAppDir();
    // The folder with a trailing slash, as the program's AppDir.
    QString path() const;
    QString file(const QString& name) const { return path() + name; }
    void write(const QString& name, const QByteArray& bytes) const;
    // The file's bytes; a file that cannot be read fails the test.
    QByteArray read(const QString& name) const;
    // Copies a file of tests/fixtures into the folder under `name` (default: same name).
    void copyFixture(const QString& fixture, const QString& name = {}) const;

private:
    QTemporaryDir m_dir;
};

QByteArray readFixture(const QString& name);
// The bytes of the file at `path`; a file that cannot be read fails the test.
QByteArray fileBytes(const QString& path);
QString fixturePath(const QString& name);

}  // namespace tervalo::test
