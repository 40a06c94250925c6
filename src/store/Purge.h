#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Purge and rebuild of the deal database, shared by the entry screen's menu and the command
// line: a backup copy, the deletion of the deals sold before a cutoff, a repair and a
// compaction into a fresh file.
namespace DealPurge {

inline const QString Title = QStringLiteral("PURGE & REBUILDING FILE");
inline const QString DefaultCutoff = QStringLiteral("01/01/1980");
// The question asked for the cutoff: seven lines, each but the last ended by a carriage return.
QString prompt();

// The cutoff as typed: mm/dd/yyyy, or with a two-digit year (completed by Clock::fullYear).
// Nothing when the text is not such a date.
std::optional<QDate> readCutoff(const QString &text);
// What is said when it is not.
QString notADate(const QString &typed);
// The question that follows: delete the deals sold before the cutoff (Yes), or keep them and
// blank their customers' personal data (No).
QString choice(const QDate &cutoff);
// The second question before blanking, which cannot be undone.
QString confirmBlanking(const QDate &cutoff);

// The files, as local paths: the live database, the backup folder and copy, and the database
// as it was before compaction.
struct Files {
    QString database;
    QString backupFolder;
    QString backup; // a backup there already is never replaced: the run takes the next free name
    QString old;
};
// The dealership's ".\ZELDB.mdb", ".\Backup", ".\Backup\ZELDB-yyyy-mm-dd.mdb" (today's
// date) and ".\ZEL_OLD.mdb".
Files files();

struct Outcome {
    bool completed = false;
    int deleted = 0;
    int kept = 0;
    QString failure; // the failure the run stopped at (Cancel)
    QString backup;  // the copy this run took of the database as it was
    // What the check before any deletion found wrong with the database and what was done about
    // it; empty for a sound database.
    QString repair;
    // The deals of a damaged table that could not be read into the rebuilt database.
    QStringList lost;
};

// A step failed with this description: true runs it again (Retry), false stops there (Cancel).
using OnFailure = std::function<bool(const QString &description)>;

// Deletes every deal sold before cutoff (and every deal without a sale date), after taking the
// backup and checking the database, then compacts. A damaged database has its indexes rebuilt,
// and when that is not enough, what can be read of its deals is copied into a rebuilt database,
// which the purge then works on. The live database is replaced only by a complete, checked
// file, so whatever step fails or is cancelled, ".\ZELDB.mdb" is there as it was or purged.
// Refused (a failure of the first step) while another copy of the program uses the database.
Outcome purge(const Files &files, const QDate &cutoff, const OnFailure &onFailure);

// Blanks the personal data (names, address, city, state and zip, phone, birth dates) of every
// deal sold before cutoff, keeping its stock number, vehicle and amounts, so that the figures
// of those months stay as they were. The last name, which a deal must have, becomes one blank.
// One transaction with its record of changes; the space the data took is overwritten. Returns
// the deals blanked (those blanked already are not counted again).
int blankPersonalData(const QString &databasePath, const QDate &cutoff);

} // namespace DealPurge
