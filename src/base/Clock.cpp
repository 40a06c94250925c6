#include "base/Clock.h"

#include "base/Format.h"

namespace {
QDate fixedToday;
}

QDate Clock::today() {
    return fixedToday.isValid() ? fixedToday : QDate::currentDate();
}

void Clock::setToday(const QDate &date) {
    fixedToday = date;
}

QString Clock::todayText() {
    return formatDate(today(), QStringLiteral("mm/dd/yyyy"));
}
