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
ReportOutput walk(const ReportConditions &c, DealSource &deals, BuildPolicy &policy,
                  const std::function<bool()> &passes,
                  const std::function<void(QStringList &)> &entry);
} // namespace ContactLists
