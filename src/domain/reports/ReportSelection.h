#pragma once

#include "base/Format.h"
#include "domain/reports/ReportConditions.h"

#include <QString>

class DealSource;

// The rules every report shares: its order, its selection text, the date test, the
// salesperson key and block membership.
namespace ReportSelection {
// The order text of the report for these conditions ("Salesman, DateSold", ...).
QString orderText(const ReportConditions &c);
// "SELECT *FROM ZEL ORDER BY " and the order text.
QString queryText(const ReportConditions &c);
// A condition date (month/day/year) formatted "yyyy/mm/dd"; a text that is no date as it is.
QString conditionKey(const QString &date);
// Both ends inclusive; a deal without a sale date is out of every range.
bool inDateRange(const DealSource &deal, const ReportConditions &c);
// Whether the deal still names its customer: a deal whose personal data was blanked is on no
// list of customers.
bool hasCustomer(const DealSource &deal);
// The vehicle class test on a NewUsed text.
bool vehiclePasses(const ReportConditions &c, const QString &newUsed);
// The Salesman text up to its first "/", trailing blanks removed; "BLANK" when that is empty.
QString salespersonKey(const QString &salesman);
// The same key where the text keeps it, or where "BLANK" is kept.
QStringView salespersonKeyOf(QStringView salesman);
// Salesperson keys are the same whatever their letter case ("JONES", "Jones", "jones").
bool sameKey(QStringView a, QStringView b);
// A deal belongs to the block of a key when its Salesman begins with the key, whatever the
// letter case, or, for "BLANK", when its Salesman is blank.
bool inBlock(const QString &key, QStringView salesman);
// Laying out report lines.
// Trailing blanks removed.
QString rtrim(const QString &text);
QStringView rtrimmed(QStringView text);
// Cut or padded with blanks to width.
QString fit(const QString &text, int width);
// Appends text cut or padded with blanks to width, without a copy on the way.
void appendFitted(QString &line, QStringView text, qsizetype width);
// An amount in its "#####0.00" column, and the same added to a line.
QString money(Currency amount);
void appendMoney(QString &line, Currency amount);
} // namespace ReportSelection
