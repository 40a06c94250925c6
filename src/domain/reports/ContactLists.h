#pragma once

#include "domain/reports/BuildPolicy.h"
#include "domain/reports/DealSource.h"
#include "domain/reports/ReportConditions.h"

#include <QStringList>
#include <functional>

// What the customer-contact lists share: the name column, the three-line contact entry and
// the walk that heads each salesperson's entries with a group line.
namespace ContactLists {
QString nameColumn(const QString &firstMI, const QString &lastName);
QStringList contactEntry(const DealSource &d, const QString &name, const QString &after);
// Lists each deal that passes, in order: by add, or else as one entry of the deal. By
// salesperson, each salesperson's entries come together, headed by a group line. Every entry
// has linesPerEntry lines, made by entry when they are read.
ReportOutput walk(const ReportConditions &c, DealSource &deals, BuildPolicy &policy,
                  const std::function<bool()> &passes, int linesPerEntry, ReportLines::Entry entry,
                  const std::function<void(ReportLines &)> &add = {});
} // namespace ContactLists
