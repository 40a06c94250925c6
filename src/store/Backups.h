#pragma once

#include "store/DatabaseAddress.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <atomic>

// The daily copies of the deal database, kept in the backup folder beside the purge's own
// copies under names of their own ("daily-yyyy-mm-dd.mdb"). Each is made with the engine's
// online backup while the clerks go on working, and checked before anything older is removed.
namespace DailyBackup {

inline const QString Prefix = QStringLiteral("daily-");
constexpr int KeptDays = 14;
constexpr int KeptMonths = 12;

// The name of the day's copy in the folder.
QString pathFor(const QString &folder, const QDate &day);
// Whether the folder has no copy of that day yet.
bool due(const QString &folder, const QDate &day);

// What is wrong with a copy: not a deal database, damaged, or (expectedDeals >= 0) not
// holding that many deals; empty when it is sound.
QString problem(const QString &path, qint64 expectedDeals = -1);

// Makes the day's copy (the next free name when there is one), checks it, and only then removes
// the copies no longer kept. Returns the copy's path; throws VolmeraError and leaves no copy
// when it fails or is stopped.
QString make(const DatabaseAddress &database, const QString &folder, const QDate &day,
             const std::atomic<bool> *stop = nullptr);

// The copies to remove from those in the folder: all but the newest of the last KeptDays days
// and the newest of each of the last KeptMonths months.
QStringList notKept(const QStringList &names);

// Puts a checked copy in place of the database, which is kept as oldPath. Refused while any
// copy of the program has the database open; a copy that is not sound never replaces it. On a
// server, its deals are kept in the file oldPath and replaced by the copy's in one transaction.
void restore(const QString &copy, const DatabaseAddress &database, const QString &oldPath);

} // namespace DailyBackup
