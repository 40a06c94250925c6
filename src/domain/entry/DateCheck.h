#pragma once

#include <QChar>
#include <QString>

// Completes a typed date to "mm/dd/yyyy" (two-digit years: 00-19 give 20xx, 20-99 give 19xx)
// or, with kind 'Y', a model year to four digits. A date that cannot be completed gives the
// empty text after a message box; a model year never fails and shows nothing.
QString DateCheck(QChar kind, const QString &text);
