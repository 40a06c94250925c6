#include "base/Format.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace {
// A number held as its decimal digits, so that rounding and money never go through binary
// fractions. whole carries no leading zeros ("" is zero).
struct Decimal {
    bool negative = false;
    QString whole;
    QString frac;

    bool isZero() const {
        for (QChar c : whole + frac)
            if (c != u'0')
                return false;
        return true;
    }
};

void stripLeadingZeros(QString &digits) {
    qsizetype n = 0;
    while (n < digits.size() && digits[n] == u'0')
        ++n;
    digits.remove(0, n);
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The leading number of a text as BASIC's Val reads it; nothing when there is no digit.
std::optional<Decimal> leadingNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    Decimal d;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        d.negative = text[i++] == u'-';
    while (i < text.size() && isDigit(text[i]))
        d.whole.append(text[i++]);
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            d.frac.append(text[i++]);
    }
    if (d.whole.isEmpty() && d.frac.isEmpty())
        return std::nullopt;
    stripLeadingZeros(d.whole);
    return d;
}

// The shortest decimal that reads back as the same double, so 0.1 + 0.2 stays 0.3 and 1.005
// stays 1.005 instead of its binary neighbour 1.00499999...
std::optional<Decimal> decimalFromDouble(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    // Always "d.ddde+XX": one shape to take apart whatever the magnitude.
    const QString s = QString::number(value, 'e', QLocale::FloatingPointShortest);
    const qsizetype e = s.indexOf(u'e');
    Decimal d;
    QString digits;
    for (QChar c : QStringView(s).left(e)) {
        if (c == u'-')
            d.negative = true;
        else if (isDigit(c))
            digits.append(c);
    }
    const qsizetype point = 1 + QStringView(s).mid(e + 1).toInt();
    if (point <= 0) {
        d.frac = QString(-point, u'0') + digits;
    } else if (point >= digits.size()) {
        d.whole = digits + QString(point - digits.size(), u'0');
    } else {
        d.whole = digits.left(point);
        d.frac = digits.mid(point);
    }
    stripLeadingZeros(d.whole);
    return d;
}

Decimal decimalFromUnsigned(quint64 magnitude, bool negative) {
    Decimal d;
    d.negative = negative;
    d.whole = QString::number(magnitude);
    stripLeadingZeros(d.whole);
    return d;
}

Decimal decimalFromCurrency(Currency amount) {
    const qint64 units = amount.tenThousandths();
    const quint64 magnitude = units < 0 ? 0 - quint64(units) : quint64(units);
    Decimal d = decimalFromUnsigned(magnitude / 10000, units < 0);
    d.frac = QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
    return d;
}

// Rounds half away from zero to exactly `places` decimals, on the digits themselves.
Decimal rounded(Decimal d, qsizetype places) {
    if (d.frac.size() <= places) {
        d.frac += QString(places - d.frac.size(), u'0');
        return d;
    }
    const bool up = d.frac[places] >= u'5';
    d.frac.truncate(places);
    if (!up)
        return d;
    QString all = d.whole + d.frac;
    qsizetype i = all.size() - 1;
    for (; i >= 0 && all[i] == u'9'; --i)
        all[i] = u'0';
    if (i >= 0)
        all[i] = QChar(all[i].unicode() + 1);
    else
        all.prepend(u'1');
    d.whole = all.left(all.size() - places);
    d.frac = all.right(places);
    return d;
}

// Four-decimal digits to ten-thousandths; an amount beyond the range sticks at its end rather
// than wrapping to a wrong sign.
qint64 unitsOf(const Decimal &d) {
    const Decimal r = rounded(d, 4);
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (r.negative ? 1 : 0);
    quint64 acc = 0;
    for (QChar c : r.whole + r.frac) {
        const quint64 digit = c.unicode() - u'0';
        if (acc > (limit - digit) / 10) {
            acc = limit;
            break;
        }
        acc = acc * 10 + digit;
    }
    return r.negative ? qint64(0 - acc) : qint64(acc);
}

bool isPlaceholder(QChar c) {
    return c == u'#' || c == u'0';
}

QString grouped(const QString &digits) {
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out.append(u',');
        out.append(digits[i]);
    }
    return out;
}

// Long masks print one column wider than they are; reports line up on that.
qsizetype columnWidth(const QString &mask) {
    const qsizetype dot = mask.indexOf(u'.');
    const QString intMask = dot < 0 ? mask : mask.left(dot);
    const bool wide = intMask.contains(u'$') ? intMask.size() >= 9 : intMask.size() >= 8;
    return mask.size() + (wide ? 1 : 0);
}

QString layOut(const QString &mask, const Decimal &value, qsizetype width) {
    const qsizetype dot = mask.indexOf(u'.');
    const QString intMask = dot < 0 ? mask : mask.left(dot);
    const QString decMask = dot < 0 ? QString() : mask.mid(dot + 1);

    QString fracSlots;
    for (QChar c : decMask)
        if (isPlaceholder(c))
            fracSlots.append(c);
    const Decimal r = rounded(value, fracSlots.size());

    // Digits are forced from the first "0" placeholder rightwards.
    qsizetype forced = 0;
    const qsizetype firstZero = intMask.indexOf(u'0');
    for (qsizetype i = firstZero < 0 ? intMask.size() : firstZero; i < intMask.size(); ++i)
        if (isPlaceholder(intMask[i]))
            ++forced;
    QString digits = r.whole;
    if (digits.size() < forced)
        digits.prepend(QString(forced - digits.size(), u'0'));
    if (intMask.contains(u','))
        digits = grouped(digits);

    // Literals such as "$" stay on their side of the digits.
    QString prefix, suffix;
    bool seenPlaceholder = false;
    for (QChar c : intMask) {
        if (isPlaceholder(c))
            seenPlaceholder = true;
        else if (c != u',')
            (seenPlaceholder ? suffix : prefix).append(c);
    }

    // Trailing "#" decimals drop their zeros; "0" decimals always show.
    qsizetype keep = fracSlots.size();
    while (keep > 0 && fracSlots[keep - 1] == u'#' && r.frac[keep - 1] == u'0')
        --keep;
    QString decText;
    if (dot >= 0) {
        decText = QStringLiteral(".");
        qsizetype slot = 0;
        for (QChar c : decMask) {
            if (isPlaceholder(c)) {
                if (slot < keep)
                    decText.append(r.frac[slot]);
                ++slot;
            } else if (c != u',') {
                decText.append(c);
            }
        }
    }

    const QString sign = r.negative && !r.isZero() ? QStringLiteral("-") : QString();
    const QString wholeText = sign + prefix + digits + suffix;
    // Cutting whole digits would print a different amount; stars say it does not fit. Decimals
    // that do not fit are cut, keeping the leftmost characters.
    if (wholeText.size() > width)
        return QString(width, u'*');
    return (wholeText + decText).rightJustified(width, u' ', true);
}

// The masks the reports use over and over ("######0.00", "###,##0.0", "##0") are laid out with
// whole-number arithmetic: same text as layOut, without building decimal strings.
using FastMask = NumberColumn::Form;

const FastMask &fastMask(const QString &mask) {
    // One table per thread: a report's lines may be made on two at once.
    thread_local QHash<QString, FastMask> known;
    // Reports pass the same few masks in turn; a look at the last two spares the hashing.
    thread_local const QString *recent[2] = {nullptr, nullptr};
    thread_local const FastMask *recentInfo[2] = {nullptr, nullptr};
    for (int i = 0; i < 2; ++i) {
        if (recent[i] != nullptr && recent[i]->constData() == mask.constData() &&
            recent[i]->size() == mask.size())
            return *recentInfo[i];
    }
    const auto it = known.constFind(mask);
    if (it != known.constEnd()) {
        recent[1] = recent[0];
        recentInfo[1] = recentInfo[0];
        recent[0] = &it.key();
        recentInfo[0] = &it.value();
        return *it;
    }
    FastMask m;
    const qsizetype dot = mask.indexOf(u'.');
    const QStringView intMask = dot < 0 ? QStringView(mask) : QStringView(mask).left(dot);
    const QStringView decMask = dot < 0 ? QStringView() : QStringView(mask).mid(dot + 1);
    // Room for the digits: layOutScaled makes them in a buffer of its own.
    m.usable = decMask.size() <= 9 && intMask.size() <= 24;
    for (QChar c : intMask)
        m.usable = m.usable && (isPlaceholder(c) || c == u',');
    for (QChar c : decMask)
        m.usable = m.usable && c == u'0';
    m.width = columnWidth(mask);
    m.decimals = int(decMask.size());
    m.point = dot >= 0;
    m.grouping = intMask.contains(u',');
    const qsizetype firstZero = intMask.indexOf(u'0');
    for (qsizetype i = firstZero < 0 ? intMask.size() : firstZero; i < intMask.size(); ++i)
        m.forced += isPlaceholder(intMask[i]) ? 1 : 0;
    recent[0] = recent[1] = nullptr; // inserting may move the entries
    return *known.insert(mask, m);
}

constexpr qint64 pow10(int n) {
    qint64 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// The largest magnitude laid out with whole-number arithmetic, far from overflowing.
constexpr quint64 maxScaled = 1'000'000'000'000'000'000;

// A plain number (blanks, a sign, up to 15 whole digits, decimals) at the start of a text as a
// magnitude in units of 10^-decimals, rounded half away from zero; nothing when there is none.
std::optional<quint64> plainMagnitude(QStringView text, int decimals, bool &negative) {
    const quint64 scale = quint64(pow10(decimals));
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    quint64 whole = 0;
    int wholeDigits = 0, fracDigits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++wholeDigits) {
        if (wholeDigits >= 15)
            return std::nullopt;
        whole = whole * 10 + (text[i].unicode() - u'0');
    }
    quint64 frac = 0;
    bool up = false;
    if (i < text.size() && text[i] == u'.') {
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++fracDigits) {
            if (fracDigits < decimals)
                frac = frac * 10 + (text[i].unicode() - u'0');
            else if (fracDigits == decimals)
                up = text[i] >= u'5';
        }
    }
    // Many decimals of a wide number would overflow: the general layout takes those.
    if (wholeDigits + fracDigits == 0 || whole > maxScaled / scale)
        return std::nullopt;
    for (int k = fracDigits; k < decimals; ++k)
        frac *= 10;
    return whole * scale + frac + (up ? 1 : 0);
}

// The magnitude of a value in units of 10^-decimals, rounded half away from zero; nothing when
// the value is not a plain number of a modest size.
std::optional<quint64> currencyMagnitude(Currency amount, int decimals, bool &negative) {
    const qint64 units = amount.tenThousandths();
    negative = units < 0;
    const quint64 m = negative ? 0 - quint64(units) : quint64(units);
    if (decimals >= 4) {
        const auto scale = quint64(pow10(decimals - 4));
        if (m > quint64(1e15) || m > maxScaled / scale)
            return std::nullopt;
        return m * scale;
    }
    const quint64 div = quint64(pow10(4 - decimals));
    return m / div + (m % div >= div / 2 ? 1 : 0);
}

std::optional<quint64> scaledMagnitude(const QVariant &value, int decimals, bool &negative) {
    const qint64 scale = pow10(decimals);
    const int type = value.typeId();
    if (type == QMetaType::QString)
        return plainMagnitude(value.toString(), decimals, negative);
    if (value.metaType() == QMetaType::fromType<Currency>())
        return currencyMagnitude(value.value<Currency>(), decimals, negative);
    if (type == QMetaType::Int || type == QMetaType::LongLong) {
        const qint64 n = value.toLongLong();
        negative = n < 0;
        const quint64 m = negative ? 0 - quint64(n) : quint64(n);
        if (m > quint64(1e15) / quint64(scale))
            return std::nullopt;
        return m * quint64(scale);
    }
    return std::nullopt;
}

// Lays the column out at to, m.width characters of Latin-1 or UTF-16 alike.
template <class Char>
void layOutScaledAt(const FastMask &m, quint64 scaled, bool negative, Char *to) {
    const quint64 scale = quint64(pow10(m.decimals));
    quint64 whole = scaled / scale, frac = scaled % scale;
    // The text made from its right end: decimals, point, whole digits grouped by thousands
    // when the mask says so, sign. Ungrouped digits go two at a time, halving the divisions.
    static constexpr char pairs[] = "00010203040506070809101112131415161718192021222324252627282930"
                                    "31323334353637383940414243444546474849505152535455565758596061"
                                    "62636465666768697071727374757677787980818283848586878889909192"
                                    "93949596979899";
    const auto twoDigits = [](char *&at, quint64 n) {
        at -= 2;
        at[0] = pairs[2 * n];
        at[1] = pairs[2 * n + 1];
    };
    char buffer[64];
    char *const end = buffer + sizeof buffer;
    char *p = end;
    int k = 0;
    for (; k + 2 <= m.decimals; k += 2, frac /= 100)
        twoDigits(p, frac % 100);
    for (; k < m.decimals; ++k, frac /= 10)
        *--p = char('0' + frac % 10);
    if (m.point)
        *--p = '.';
    char *const wholeEnd = p;
    if (m.grouping) {
        for (int count = 0; whole > 0 || count < m.forced; ++count, whole /= 10) {
            if (count > 0 && count % 3 == 0)
                *--p = ',';
            *--p = char('0' + whole % 10);
        }
    } else {
        for (; whole >= 10; whole /= 100)
            twoDigits(p, whole % 100);
        if (whole > 0)
            *--p = char('0' + whole);
        while (wholeEnd - p < m.forced)
            *--p = '0';
    }
    if (negative && scaled != 0)
        *--p = '-';
    const qsizetype wholeLength = wholeEnd - p, n = end - p;
    // Cutting whole digits would print a different amount; stars say it does not fit. Decimals
    // that do not fit are cut, keeping the leftmost characters.
    if (wholeLength > m.width) {
        std::fill(to, to + m.width, Char('*'));
        return;
    }
    const qsizetype shown = qMin<qsizetype>(n, m.width), blanks = m.width - shown;
    // A column is a few characters: one plain loop, not calls to copy and fill.
    const char *from = p - blanks;
    for (qsizetype i = 0; i < m.width; ++i)
        to[i] = Char(i < blanks ? ' ' : from[i]);
}

// Appends the laid-out column to into.
void layOutScaled(const FastMask &m, quint64 scaled, bool negative, QString &into) {
    const qsizetype at = into.size();
    into.resize(at + m.width);
    layOutScaledAt(m, scaled, negative, reinterpret_cast<char16_t *>(into.data() + at));
}

std::optional<QString> fastLayOut(const QString &mask, const QVariant &value) {
    const FastMask &m = fastMask(mask);
    if (!m.usable)
        return std::nullopt;
    bool negative = false;
    const std::optional<quint64> scaled = scaledMagnitude(value, m.decimals, negative);
    if (!scaled)
        return std::nullopt;
    QString out;
    layOutScaled(m, *scaled, negative, out);
    return out;
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString usDate(const QDate &date) {
    return QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year());
}

QString usTime(const QTime &time) {
    const int h = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(h)
        .arg(twoDigits(time.minute()), twoDigits(time.second()),
             time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}
} // namespace

Currency Currency::fromText(QStringView text) {
    bool negative = false;
    if (const std::optional<quint64> units = plainMagnitude(text, 4, negative))
        return fromUnits(negative ? -qint64(*units) : qint64(*units));
    const std::optional<Decimal> d = leadingNumber(text);
    return fromUnits(d ? unitsOf(*d) : 0);
}

Currency Currency::fromDouble(double value) {
    const std::optional<Decimal> d = decimalFromDouble(value);
    return fromUnits(d ? unitsOf(*d) : 0);
}

QString Currency::toPlainText() const {
    Decimal d = decimalFromCurrency(*this);
    while (d.frac.endsWith(u'0'))
        d.frac.chop(1);
    QString text = d.whole.isEmpty() ? QStringLiteral("0") : d.whole;
    if (!d.frac.isEmpty())
        text += u'.' + d.frac;
    return d.negative ? u'-' + text : text;
}

double Val(const QString &text) {
    // The leading number is copied as plain ASCII and read by from_chars, which ignores the
    // machine's locale; a long number goes the general way.
    char buffer[64];
    int n = 0;
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        buffer[n++] = text[i++] == u'-' ? '-' : '0';
    bool digits = false, point = false;
    for (; i < text.size() && n < 60; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            digits = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        buffer[n++] = char(c.unicode());
    }
    if (n < 60) {
        if (!digits)
            return 0.0;
        double value = 0.0;
        if (std::from_chars(buffer, buffer + n, value).ec == std::errc())
            return value == 0.0 ? 0.0 : value;
    }
    const std::optional<Decimal> d = leadingNumber(text);
    if (!d || d->isZero())
        return 0.0;
    // QString::toDouble reads the C locale whatever the machine is set to.
    const QString canonical = (d->negative ? QStringLiteral("-") : QString()) +
                              (d->whole.isEmpty() ? QStringLiteral("0") : d->whole) + u'.' +
                              (d->frac.isEmpty() ? QStringLiteral("0") : d->frac);
    return canonical.toDouble();
}

QString FormatUsing(const QString &mask, const QVariant &value) {
    if (std::optional<QString> fast = fastLayOut(mask, value))
        return *fast;
    return formatUsingGeneral(mask, value);
}

QString FormatUsing(const QString &mask, Currency amount) {
    QString out;
    appendFormatted(out, mask, amount);
    return out;
}

void appendFormatted(QString &text, const QString &mask, Currency amount) {
    const FastMask &m = fastMask(mask);
    bool negative = false;
    if (m.usable) {
        if (const std::optional<quint64> scaled = currencyMagnitude(amount, m.decimals, negative))
            return layOutScaled(m, *scaled, negative, text);
    }
    text += formatUsingGeneral(mask, QVariant::fromValue(amount));
}

NumberColumn::NumberColumn(const QString &mask) : mask(mask), form(fastMask(mask)) {}

char *NumberColumn::layOutLatin1(char *to, Currency amount) const {
    bool negative = false;
    if (form.usable) {
        if (const std::optional<quint64> scaled =
                currencyMagnitude(amount, form.decimals, negative)) {
            layOutScaledAt(form, *scaled, negative, to);
            return to + form.width;
        }
    }
    for (const QChar c : formatUsingGeneral(mask, QVariant::fromValue(amount)))
        *to++ = c.unicode() < 0x100 ? char(c.unicode()) : '?';
    return to;
}

void appendFormatted(QString &text, const QString &mask, QStringView number) {
    const FastMask &m = fastMask(mask);
    bool negative = false;
    if (m.usable) {
        if (const std::optional<quint64> scaled = plainMagnitude(number, m.decimals, negative))
            return layOutScaled(m, *scaled, negative, text);
    }
    text += formatUsingGeneral(mask, QVariant(number.toString()));
}

QString formatUsingGeneral(const QString &mask, const QVariant &value) {
    const qsizetype width = columnWidth(mask);
    if (!value.isValid() || value.isNull())
        return QString(width, u' ');

    std::optional<Decimal> number;
    QString text;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        number = decimalFromDouble(value.toDouble());
        break;
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::SChar: {
        const qint64 n = value.toLongLong();
        number = decimalFromUnsigned(n < 0 ? 0 - quint64(n) : quint64(n), n < 0);
        break;
    }
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        number = decimalFromUnsigned(value.toULongLong(), false);
        break;
    case QMetaType::QString:
        text = value.toString();
        number = leadingNumber(text);
        break;
    default:
        if (value.metaType() == QMetaType::fromType<Currency>())
            number = decimalFromCurrency(value.value<Currency>());
        break;
    }
    if (number)
        return layOut(mask, *number, width);
    if (text.isNull())
        text = FieldText(value);
    if (text.trimmed().isEmpty())
        return QString(width, u' ');
    // Not a number: show what there is rather than fail.
    return text.rightJustified(width, u' ', true);
}

QString FieldText(const QVariant &value) {
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double v = value.toDouble();
        const double a = std::fabs(v);
        // Plain digits for anything an amount can be; exponents only for the extremes.
        if (v == 0 || (a >= 1e-4 && a < 1e15)) {
            const Decimal d = *decimalFromDouble(v);
            QString text = d.whole.isEmpty() ? QStringLiteral("0") : d.whole;
            if (!d.frac.isEmpty())
                text += u'.' + d.frac;
            return d.negative && v != 0 ? u'-' + text : text;
        }
        return QString::number(v, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        return date.isValid() ? usDate(date) : QString();
    }
    case QMetaType::QDateTime: {
        const QDateTime when = value.toDateTime();
        if (!when.isValid())
            return QString();
        const QTime t = when.time();
        const bool midnight = t.hour() == 0 && t.minute() == 0 && t.second() == 0;
        return usDate(when.date()) + (midnight ? QString() : u' ' + usTime(t));
    }
    case QMetaType::QTime: {
        const QTime t = value.toTime();
        return t.isValid() ? usTime(t) : QString();
    }
    default:
        if (value.metaType() == QMetaType::fromType<Currency>())
            return value.value<Currency>().toPlainText();
        return value.toString();
    }
}

QString formatDate(const QDate &date, const QString &mask) {
    if (!date.isValid())
        return QString();
    static const char *const months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    QString out;
    out.reserve(mask.size() + 4);
    const auto digits = [&out](int n, int width) {
        char buffer[12];
        int count = 0;
        for (unsigned v = unsigned(n < 0 ? -n : n); v > 0 || count < width; v /= 10)
            buffer[count++] = char('0' + v % 10);
        while (count > 0)
            out.append(QLatin1Char(buffer[--count]));
    };
    qsizetype i = 0;
    // Longest token first, so "mmm" is not read as "mm" then "m".
    while (i < mask.size()) {
        const QStringView rest = QStringView(mask).mid(i);
        const auto token = [&](QStringView t) { return rest.startsWith(t, Qt::CaseInsensitive); };
        if (token(u"yyyy")) {
            digits(year, 4);
            i += 4;
        } else if (token(u"yy")) {
            digits(((year % 100) + 100) % 100, 2);
            i += 2;
        } else if (token(u"mmm")) {
            out += QLatin1String(months[month - 1]);
            i += 3;
        } else if (token(u"mm")) {
            digits(month, 2);
            i += 2;
        } else if (token(u"m")) {
            digits(month, 1);
            i += 1;
        } else if (token(u"dd")) {
            digits(day, 2);
            i += 2;
        } else if (token(u"d")) {
            digits(day, 1);
            i += 1;
        } else {
            out += mask[i++];
        }
    }
    return out;
}
