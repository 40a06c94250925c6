#pragma once

#include "app/Cp1252.h"

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QStringList>

// Export files as the dealer system writes them, for the import tests.
namespace ExportFiles {

// Form 1: where each field (numbered from 1) stands in a 394-byte record.
inline constexpr int fieldAt[38][2] = {
    {0, 0},    {0, 8},    {8, 15},   {23, 15},  {38, 15},  {53, 15},  {68, 30},  {98, 15},
    {113, 8},  {121, 10}, {131, 10}, {141, 25}, {166, 30}, {196, 3},  {199, 3},  {202, 8},
    {210, 1},  {211, 1},  {212, 3},  {215, 10}, {225, 10}, {235, 8},  {243, 1},  {244, 2},
    {246, 10}, {256, 8},  {264, 18}, {282, 10}, {292, 10}, {302, 10}, {312, 10}, {322, 10},
    {332, 10}, {342, 10}, {352, 10}, {362, 10}, {372, 10}, {382, 10},
};

// A record: blanks, the given fields left-aligned, a line end in its last two bytes.
inline QByteArray record(const QMap<int, QByteArray> &fields) {
    QByteArray r(394, ' ');
    r[392] = '\r';
    r[393] = '\n';
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        const QByteArray v = it.value().left(fieldAt[it.key()][1]);
        r.replace(fieldAt[it.key()][0], v.size(), v);
    }
    return r;
}

inline QByteArray header() {
    return record({{2, "ZEL EXPORT"}});
}

// A deal with its sale date (YYYYMMDD), buyer's last name and stock number.
inline QByteArray deal(const QByteArray &date, const QByteArray &last, const QByteArray &stock,
                       QMap<int, QByteArray> more = {}) {
    more.insert(1, date);
    more.insert(2, last);
    more.insert(21, stock);
    return record(more);
}

// Form 2: a deal's 42 items in box order, texts quoted as the dealer system writes them.
inline QByteArray line(const QString &date, const QString &last, const QString &stock,
                       const QMap<int, QString> &more = {}, int items = 42) {
    QStringList out;
    for (int i = 0; i < items; ++i) {
        QString item = i == 0 ? date : i == 1 ? last : i == 20 ? stock : QString();
        item = more.value(i, item);
        const bool number = i == 13 || i == 14 || (i >= 18 && i <= 19) || (i >= 26 && i <= 34) ||
                            i == 36 || i == 38 || i == 40 || i == 41;
        out << (number ? (item.isEmpty() ? QStringLiteral("0") : item)
                       : QLatin1Char('"') + item + QLatin1Char('"'));
    }
    return Cp1252::encode(out.join(QLatin1Char(','))) + "\r\n";
}

inline void write(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

} // namespace ExportFiles
