#pragma once

// Readable failure messages for Qt values in GoogleTest assertions.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toPercentEncoding(" !\"#$&'()*+,-./:;<>?@[\\]^_`{|}~").toStdString() << '"';
}
inline void PrintTo(const QJsonArray& array, std::ostream* out) {
    *out << QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString();
}
QT_END_NAMESPACE
