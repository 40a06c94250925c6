#pragma once

#include <QString>
#include <QVariant>

// The text a box of the entry screen shows when it gets the focus: amounts and numbers as their
// plain value (150.00 shows 150, so the first digit typed replaces it), other kinds unchanged.
QString entryText(int index, const QString &text);

// The stored form of a box's text when the box is left: dates completed, the model year
// completed, numbers rounded to their fixed decimals, without padding.
QString leaveText(int index, const QString &text);

// The ordering key: last name immediately followed by stock number, as typed.
QString lnKey(const QString &lastName, const QString &stockNumber);

// A number by a mask such as "######0.00", without the column's leading blanks. A value with
// more whole digits than the mask holds is written in full rather than as stars.
QString plainFormat(const QString &mask, const QVariant &value);
