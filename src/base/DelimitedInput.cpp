#include "base/DelimitedInput.h"

#include "base/ErrorTrap.h"

namespace {
bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
bool isLineEnd(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}
} // namespace

bool DelimitedInput::atEnd() const {
    for (qsizetype i = pos; i < text.size(); ++i) {
        if (!isBlank(text[i]) && !isLineEnd(text[i]) && text[i] != QChar(0x1A))
            return false;
    }
    return true;
}

QString DelimitedInput::next() {
    if (atEnd())
        throw VolmeraError(QStringLiteral("Input past end of file"));
    while (pos < text.size() && (isBlank(text[pos]) || isLineEnd(text[pos])))
        ++pos;
    QString item;
    if (text[pos] == QLatin1Char('"')) {
        const qsizetype close = text.indexOf(QLatin1Char('"'), pos + 1);
        const qsizetype end = close < 0 ? text.size() : close;
        item = text.mid(pos + 1, end - pos - 1);
        unclosed =
            close < 0 || item.contains(QLatin1Char('\n')) || item.contains(QLatin1Char('\r'));
        pos = close < 0 ? text.size() : close + 1;
        // Whatever stands between the closing quote and the delimiter is passed over.
        while (pos < text.size() && text[pos] != QLatin1Char(',') && !isLineEnd(text[pos]))
            ++pos;
    } else {
        const qsizetype start = pos;
        while (pos < text.size() && text[pos] != QLatin1Char(',') && !isLineEnd(text[pos]))
            ++pos;
        item = text.mid(start, pos - start).trimmed();
        unclosed = false;
    }
    lineEnded = pos >= text.size() || isLineEnd(text[pos]);
    if (pos < text.size()) {
        if (text[pos] == QLatin1Char('\r') && pos + 1 < text.size() &&
            text[pos + 1] == QLatin1Char('\n'))
            ++pos;
        ++pos; // the delimiter
    }
    return item;
}
