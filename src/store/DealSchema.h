#pragma once

#include "store/Database.h"

// The deal table ZEL: its 46 fields in their fixed order, and its indexes.
namespace DealSchema {
inline const QString Table = QStringLiteral("ZEL");
const QList<FieldDef> &fields();
const QList<IndexDef> &indexes();
int fieldCount();
} // namespace DealSchema

// Makes a new database file at path holding the empty deal table. Fails when the file exists.
void createDealDatabase(const QString &path);

// Opens the deal database and brings it to the current layout: an empty table is made anew,
// an older table gets the fields it lacks. A file that cannot be read is reported, never
// replaced.
enum class OpenOutcome { Current, Recreated, Upgraded };
OpenOutcome openDealDatabase(const QString &path);
