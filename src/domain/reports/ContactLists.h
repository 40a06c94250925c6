#pragma once

#include "domain/reports/BuildPolicy.h"
#include "domain/reports/DealSource.h"
#include "domain/reports/ReportConditions.h"

#include <QStringList>
#include <functional>

// What the customer-contact lists share: the name column, the three-line contact entry, the
// spreadsheet row of an entry and the walk that heads each salesperson's entries with a group
// line.
namespace ContactLists {
QString nameColumn(const QString &firstMI, const QString &lastName);
QStringList contactEntry(const DealSource &d, const QString &name, const QString &after);
// Adds the spreadsheet row of one person of the deal under the cursor, when the output has a
// spreadsheet: the buyer's or co-buyer's name, and a birth date for the birth date list (a
// text that is no date leaves the cell empty).
void addContactRow(ReportOutput &out, const DealSource &d, const QString &firstMI,
                   const QString &lastName, const QString &birthDate = {});
// Each entry adds its lines and its rows to the output.
ReportOutput walk(const ReportConditions &c, DealSource &deals, BuildPolicy &policy,
                  const std::function<bool()> &passes,
                  const std::function<void(ReportOutput &)> &entry);
} // namespace ContactLists
