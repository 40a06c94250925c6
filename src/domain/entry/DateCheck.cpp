#include "domain/entry/DateCheck.h"

#include "base/Clock.h"
#include "base/Format.h"
#include "base/Prompter.h"

#include <QDate>
#include <QStringList>
#include <cmath>
#include <limits>
#include <optional>

namespace {
bool allDigits(const QString &s) {
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Reads "m/d" or "m/d/y", month first; blanks around a number are allowed, nothing else is.
// A missing year (or an empty one after the second "/") is this year. Years of three or four
// digits are taken as written.
std::optional<QDate> readDate(const QString &text) {
    const QStringList parts = text.split(u'/');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    QList<QString> n;
    for (const QString &p : parts) {
        n.append(p.trimmed());
        if (!allDigits(n.last()) || n.last().size() > 4)
            return std::nullopt;
    }
    if (n[0].isEmpty() || n[1].isEmpty())
        return std::nullopt;
    int year = Clock::today().year();
    if (n.size() == 3 && !n[2].isEmpty()) {
        year = n[2].toInt();
        if (n[2].size() <= 2)
            year = Clock::fullYear(year);
        else if (year < 100)
            return std::nullopt;
    }
    const QDate date(year, n[0].toInt(), n[1].toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString reformat(const QString &text, const QString &mask) {
    const std::optional<QDate> date = readDate(text);
    return date ? formatDate(*date, mask) : text;
}

// A number stored in a 16-bit integer, rounded half to even; a value out of range leaves the
// year at 0 (the failed assignment is skipped and the routine carries on).
int toInt16(double value) {
    const double r = std::nearbyint(value);
    if (!std::isfinite(r) || r < std::numeric_limits<qint16>::min() ||
        r > std::numeric_limits<qint16>::max())
        return 0;
    return int(r);
}

// The year on the end of the month-and-day part: a two-digit year gets the century of the
// window around today; up to 999 gets a century too (so a three-digit value makes a five-digit
// year, which no check lets through); from 1000 on it is written plainly.
QString withYear(const QString &monthDay, int year) {
    if (year >= 1000)
        return monthDay + QString::number(year);
    if (year >= 0 && year <= 99)
        return monthDay + QString::number(Clock::fullYear(year));
    const QString century = QString::number(Clock::fullYear(0) / 100);
    const QString digits = QStringLiteral("%1").arg(std::abs(year), 2, 10, QLatin1Char('0'));
    return monthDay + century + (year < 0 ? u'-' + digits : digits);
}
} // namespace

QString DateCheck(QChar kind, const QString &text) {
    if (kind == u'Y')
        return withYear(QString(), toInt16(Val(text)));

    const qsizetype first = text.indexOf(u'/');
    if (first < 0) {
        Prompter::current().msgBox(QStringLiteral("INVALID DATE - DATE FORMAT IS (##/##/####)"),
                                   Style::Critical);
        return QString();
    }
    // Counted from 1, 0 when there is no second "/".
    const qsizetype second = text.indexOf(u'/', first + 1) + 1;
    // A date typed without its year is in this year, not a century earlier by the two-digit
    // rule.
    const bool noYear = second == 0 || text.trimmed().size() == second;
    const bool fourDigitYear = noYear || text.size() == second + 4;
    const QString dated =
        reformat(text, fourDigitYear ? QStringLiteral("mm/dd/yyyy") : QStringLiteral("mm/dd/yy"));

    const int year = toInt16(Val(dated.right(dated.size() == 10 ? 4 : 2)));
    const QString monthDay = dated.left(6);
    const QString result = withYear(monthDay, year);

    const int month = int(Val(monthDay.left(2)));
    if (month < 1 || month > 12 || !readDate(result)) {
        Prompter::current().msgBox(QStringLiteral("ERROR - INVALID DATE"), Style::OK);
        return QString();
    }
    return result;
}

QString BirthDateCheck(const QString &text) {
    const QString result = DateCheck(u'D', text);
    const QStringList parts = text.split(u'/');
    const qsizetype yearDigits = parts.size() == 3 ? parts[2].trimmed().size() : 0;
    if (result.isEmpty() || yearDigits < 1 || yearDigits > 2)
        return result;
    const QDate born = QDate::fromString(result, QStringLiteral("MM/dd/yyyy"));
    return born > Clock::today() ? formatDate(born.addYears(-100), QStringLiteral("mm/dd/yyyy"))
                                 : result;
}
