#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Single-byte Windows code page 1252, the code page of the settings and export files.
namespace Cp1252 {
QString decode(const QByteArray &bytes);
QByteArray encode(const QString &text); // characters the code page lacks become "?"
void appendEncoded(QByteArray &bytes, QStringView text); // the same, added to bytes
} // namespace Cp1252
