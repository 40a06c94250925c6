#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Today's date comes from here only, so that tests and the command line can set it.
namespace Clock {
QDate today();
void setToday(const QDate &date); // an invalid date goes back to the system clock
QString todayText();              // "mm/dd/yyyy"
// The moment, for the record of who changed what: the fixed one when one is set, else today at
// the machine's time of day.
QDateTime now();
void setNow(const QDateTime &moment); // an invalid moment goes back to the machine's
// The year a two-digit year (0 to 99) stands for: the one within 80 years before and 19 years
// after this year (in 2026: 00-45 give 20xx, 46-99 give 19xx).
int fullYear(int twoDigits);
} // namespace Clock
