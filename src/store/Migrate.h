#pragma once

#include "store/DatabaseAddress.h"

#include <QString>

// Moving an office's deals from its database file to a database on a server.
namespace DealMigration {

// Copies every deal of the database file into the deal table on the server (made when the
// server has none), in one transaction, then reads every deal back and compares it field by
// field with the file's before committing. Refused, copying nothing, when the server's table
// holds any deal. Gives the number of deals copied; throws StoreError or VolmeraError, and then
// nothing was stored on the server. With replace (putting a backup back) the server's deals are
// replaced instead, in the same transaction, and the record of changes says so.
int copyDeals(const QString &file, const DatabaseAddress &server, bool replace = false);

} // namespace DealMigration
