#pragma once

#include <QChar>
#include <QString>

// Completes a typed date to "mm/dd/yyyy" (a two-digit year by Clock::fullYear)
// or, with kind 'Y', a model year to four digits. A date that cannot be completed gives the
// empty text after a message box; a model year never fails and shows nothing.
QString DateCheck(QChar kind, const QString &text);

// A date of birth, completed as DateCheck does; a two-digit year that would put it after today
// is taken a century earlier, since no one keyed is born in the future.
QString BirthDateCheck(const QString &text);
