#include "base/Clock.h"

#include "base/Format.h"

namespace {
QDate fixedToday;
QDateTime fixedNow;
} // namespace

QDate Clock::today() {
    return fixedToday.isValid() ? fixedToday : QDate::currentDate();
}

void Clock::setToday(const QDate &date) {
    fixedToday = date;
}

QDateTime Clock::now() {
    return fixedNow.isValid() ? fixedNow : QDateTime(today(), QTime::currentTime());
}

void Clock::setNow(const QDateTime &moment) {
    fixedNow = moment;
}

QString Clock::todayText() {
    return formatDate(today(), QStringLiteral("mm/dd/yyyy"));
}

int Clock::fullYear(int twoDigits) {
    const int first = today().year() - 80; // the window's first year
    const int year = first - first % 100 + twoDigits;
    return year < first ? year + 100 : year;
}
