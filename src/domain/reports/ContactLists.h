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
// Lists each deal that passes, in order: by listed, or else as one entry of the deal; rows adds
// its spreadsheet rows. By salesperson, each salesperson's entries come together, headed by a
// group line. Every entry has linesPerEntry lines, made by entry when they are read.
ReportOutput walk(const ReportConditions &c, DealSource &deals, BuildPolicy &policy,
                  const std::function<bool()> &passes, int linesPerEntry, ReportLines::Entry entry,
                  const std::function<void(ReportOutput &)> &rows,
                  const std::function<void(ReportLines &)> &listed = {});
} // namespace ContactLists
