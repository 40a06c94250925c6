#pragma once

#include "store/Audit.h"
#include "store/DatabaseAddress.h"

// The record of who changed what, as the entry screen's Deal History and the command line
// show it.
namespace DealHistory {

// The rows of one deal (every deal when stock is empty) from a day on; a database without a
// record yet has none.
QList<Audit::Entry> read(const DatabaseAddress &database, const QString &stock = {},
                         const QDate &since = {});

// One row as a line: "12/06/2026 16:40:01  Edit    A1234     CashPrice  1000 -> 1200
// (clerk on FRONT)"; a value that is not kept shows as "(not kept)".
QString line(const Audit::Entry &entry);

} // namespace DealHistory
