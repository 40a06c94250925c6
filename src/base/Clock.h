#pragma once

#include <QDate>
#include <QString>

// Today's date comes from here only, so that tests and the command line can set it.
namespace Clock {
QDate today();
void setToday(const QDate &date); // an invalid date goes back to the system clock
QString todayText();              // "mm/dd/yyyy"
} // namespace Clock
