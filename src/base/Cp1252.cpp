#include "base/Cp1252.h"

namespace {
// 0x80 to 0x9F; 0 where the code page leaves the byte undefined (kept as the same code).
const char16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

QString Cp1252::decode(const QByteArray &bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0 && high[b - 0x80] != 0)
            text.append(QChar(high[b - 0x80]));
        else
            text.append(QChar(b));
    }
    return text;
}

QByteArray Cp1252::encode(const QString &text) {
    QByteArray bytes;
    appendEncoded(bytes, text);
    return bytes;
}

void Cp1252::appendEncoded(QByteArray &bytes, QStringView text) {
    const qsizetype at = bytes.size();
    bytes.resize(at + text.size());
    char *next = bytes.data() + at;
    // Plain ASCII, as printed lines mostly are, is narrowed in one pass the compiler widens to
    // many characters at a time; anything else is turned character by character.
    const char16_t *from = text.utf16();
    char16_t any = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        next[i] = char(from[i]);
        any |= from[i];
    }
    if (any < 0x80)
        return;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        char out = '?';
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out = char(u);
        } else {
            for (int i = 0; i < 32; ++i) {
                if (high[i] == u || (high[i] == 0 && u == 0x80 + i)) {
                    out = char(0x80 + i);
                    break;
                }
            }
        }
        *next++ = out;
    }
}
