#include "store/Purge.h"

#include "base/Clock.h"
#include "base/PathMapping.h"
#include "store/Audit.h"
#include "store/DealSchema.h"
#include "store/PgDatabase.h"
#include "store/Salvage.h"
#include "store/SqliteDatabase.h"
#include "store/UseLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace DealPurge {
namespace {
// The database for this run alone: no other copy may have it open.
std::unique_ptr<DatabaseUse> takeAlone(const DatabaseAddress &address) {
    auto use = DatabaseUse::take(address, DatabaseUse::Mode::Exclusive, 0);
    if (!use)
        throw StoreError(StoreError::Kind::Busy,
                         QStringLiteral("THE DATABASE IS OPEN ON ANOTHER WORKSTATION (or in "
                                        "another copy of the program).\nClose the program there, "
                                        "then purge again. Nothing was changed."));
    return use;
}

using Kind = StoreError::Kind;

// A step that failed and was not to be run again.
struct Stopped {
    QString description;
};

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString temporary(const QString &path) {
    return path + QStringLiteral("-new");
}

// Forces a file, or a folder's list of names, onto the disk.
void sync(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw VolmeraError(QStringLiteral("Cannot open %1: %2").arg(path, systemError()));
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL; // some file systems cannot sync folders
    const QString why = ok ? QString() : systemError();
    ::close(fd);
    if (!ok)
        throw VolmeraError(QStringLiteral("Cannot write %1 to the disk: %2").arg(path, why));
}

void removeIfThere(const QString &path) {
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw VolmeraError(QStringLiteral("Cannot delete the file %1.").arg(path));
}

// Puts a complete file in place of another in one step: whoever looks finds the old file or
// the new one, never none.
void replace(const QString &from, const QString &to) {
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw VolmeraError(
            QStringLiteral("Cannot put %1 in place of %2: %3").arg(from, to, systemError()));
    sync(QFileInfo(to).absolutePath());
}

void copyFile(const QString &from, const QString &to) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw VolmeraError(QStringLiteral("Cannot read %1: %2").arg(from, in.errorString()));
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw VolmeraError(QStringLiteral("Cannot write %1: %2").arg(to, out.errorString()));
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            throw VolmeraError(QStringLiteral("Cannot read %1: %2").arg(from, in.errorString()));
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n)
            throw VolmeraError(QStringLiteral("Cannot write %1: %2").arg(to, out.errorString()));
    }
    if (!out.flush() || ::fsync(out.handle()) != 0)
        throw VolmeraError(QStringLiteral("Cannot write %1 to the disk.").arg(to));
}

// The path itself when nothing is there, else the first free one of "name-2.ext", "name-3.ext"...
QString freeName(const QString &path) {
    if (!QFileInfo::exists(path))
        return path;
    const QFileInfo info(path);
    for (int n = 2;; ++n) {
        const QString candidate = info.dir().filePath(
            QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(n).arg(info.suffix()));
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

int dealCount(Database &db) {
    Statement count(db, QStringLiteral("SELECT count(*) FROM \"ZEL\""));
    count.step();
    return int(count.int64(0));
}

// Runs a step until it succeeds or the user lets it go.
template <class Step> void runStep(const OnFailure &onFailure, Step &&step) {
    for (;;) {
        QString description;
        try {
            step();
            return;
        } catch (const VolmeraError &e) {
            description = e.description();
        } catch (const std::exception &e) {
            description = QString::fromUtf8(e.what());
        }
        if (!onFailure || !onFailure(description))
            throw Stopped{description};
    }
}
} // namespace

QString prompt() {
    return QStringList{
        QStringLiteral("This function is used to clean up the data files in"),
        QStringLiteral("case the files have been corrupted, and to remove"),
        QStringLiteral("all records that have been deleted plus records"),
        QStringLiteral("older than the date entered. The data files will be"),
        QStringLiteral("copied to a backup directory before anything is"),
        QStringLiteral("done. Make sure no one else is running the program."),
        QStringLiteral("DELETE ALL RECORDS OLDER THAN"),
    }
        .join(QLatin1Char('\r'));
}

std::optional<QDate> readCutoff(const QString &text) {
    const QStringList parts = text.trimmed().split(u'/');
    if (parts.size() != 3)
        return std::nullopt;
    for (const QString &p : parts) {
        if (p.isEmpty() || p.size() > 4)
            return std::nullopt;
        for (QChar c : p)
            if (c < u'0' || c > u'9')
                return std::nullopt;
    }
    if (parts[0].size() > 2 || parts[1].size() > 2 ||
        (parts[2].size() != 2 && parts[2].size() != 4))
        return std::nullopt;
    int year = parts[2].toInt();
    if (parts[2].size() == 2)
        year = Clock::fullYear(year);
    const QDate date(year, parts[0].toInt(), parts[1].toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString notADate(const QString &typed) {
    return QStringLiteral("\"%1\" IS NOT A DATE (MM/DD/YYYY).\nNOTHING WAS PURGED OR CHANGED.")
        .arg(typed);
}

QString choice(const QDate &cutoff) {
    return QStringLiteral("DELETE THE DEALS SOLD BEFORE %1?\n\nYes: delete them, then rebuild "
                          "the file.\nNo: keep them, their amounts and vehicles, and blank only "
                          "their customers' names, addresses, phones and birth dates.")
        .arg(cutoff.toString(QStringLiteral("MM/dd/yyyy")));
}

QString confirmBlanking(const QDate &cutoff) {
    return QStringLiteral("BLANK THE CUSTOMERS OF EVERY DEAL SOLD BEFORE %1?\n\nTheir names, "
                          "addresses, phones and birth dates are removed for good; the deals "
                          "and their amounts stay.")
        .arg(cutoff.toString(QStringLiteral("MM/dd/yyyy")));
}

Files files() {
    return {
        PathMapping::toLocal(QStringLiteral(".\\ZELDB.mdb")),
        PathMapping::toLocal(QStringLiteral(".\\Backup")),
        PathMapping::toLocal(
            QStringLiteral(".\\Backup\\ZELDB-%1.mdb").arg(Clock::today().toString(Qt::ISODate))),
        PathMapping::toLocal(QStringLiteral(".\\ZEL_OLD.mdb"))};
}

namespace {
// Deletes the deals sold before cutoff (and those without a sale date) in one transaction with
// their rows in the record of changes, which keeps the removed deals' earlier rows too.
void deleteBefore(Database &db, const QDate &cutoff, Outcome &outcome) {
    Transaction t(db);
    const int before = dealCount(db);
    Audit::ensureTable(db);
    Audit::Writer audit(db);
    const QString which = QStringLiteral("\"DateSold\" IS NULL OR \"DateSold\" < ?1");
    {
        Statement gone(db, QStringLiteral("SELECT \"StkNbr\" FROM \"ZEL\" WHERE %1 ORDER BY "
                                          "%2")
                               .arg(which, db.orderTerm(QStringLiteral("\"StkNbr\""), false)));
        gone.bind(1, cutoff);
        while (gone.step())
            audit.write(Audit::Action::Purge, gone.value(0).toString());
    }
    {
        Statement remove(db, QStringLiteral("DELETE FROM \"ZEL\" WHERE %1").arg(which));
        remove.bind(1, cutoff);
        remove.step();
    }
    outcome.kept = dealCount(db);
    outcome.deleted = before - outcome.kept;
    audit.write(Audit::Action::Purge, {}, {}, QString(),
                QStringLiteral("sold before %1: %2 removed, %3 kept")
                    .arg(cutoff.toString(QStringLiteral("MM/dd/yyyy")))
                    .arg(outcome.deleted)
                    .arg(outcome.kept));
    t.commit();
}
} // namespace

Outcome purge(const Files &f, const QDate &cutoff, const OnFailure &onFailure) {
    Outcome outcome;
    std::unique_ptr<DatabaseUse> use;
    // The file the deletion works on: the live database, or the one rebuilt from a damaged one.
    QString working = f.database;
    const QString rebuilt = f.database + QStringLiteral("-rebuilt");
    try {
        // The database is taken for this run alone: no other copy may have it open.
        runStep(onFailure, [&] { use = takeAlone(f.database); });
        // A file that is no database is left alone before anything is made.
        runStep(onFailure, [&] { SqliteDatabase::open(f.database); });
        runStep(onFailure, [&] {
            if (!QDir().mkpath(f.backupFolder))
                throw VolmeraError(
                    QStringLiteral("Cannot make the backup folder %1.").arg(f.backupFolder));
        });
        // The backup is a copy of the file as it is, taken while no one can write to it, under
        // a name of its own: an earlier backup may be the only copy of deals purged since.
        runStep(onFailure, [&] {
            auto db = SqliteDatabase::open(f.database); // a hot journal is rolled back here
            Transaction hold(*db);
            outcome.backup = freeName(f.backup);
            removeIfThere(temporary(outcome.backup));
            copyFile(f.database, temporary(outcome.backup));
            replace(temporary(outcome.backup), outcome.backup);
        });
        // Nothing is deleted from a damaged database: a damaged index would hide deals from the
        // deletion, a damaged table would lose more of them.
        runStep(onFailure, [&] {
            working = f.database;
            outcome.repair.clear();
            outcome.lost.clear();
            auto db = SqliteDatabase::open(f.database);
            const QStringList problems = db->integrityProblems();
            if (problems.isEmpty())
                return;
            try {
                db->rebuildIndexes();
                if (db->integrityProblems().isEmpty()) {
                    outcome.repair = QStringLiteral("The database was damaged (%1); its indexes "
                                                    "were rebuilt, and it checks sound now.")
                                         .arg(problems.first());
                    return;
                }
            } catch (const StoreError &e) {
                if (e.kind() == Kind::Busy)
                    throw;
            }
            removeIfThere(rebuilt);
            const Salvaged salvaged = salvageDeals(*db, rebuilt);
            outcome.lost = salvaged.lost;
            outcome.repair =
                QStringLiteral("The database was damaged (%1) beyond what rebuilding its indexes "
                               "mends: %2 deal(s) were read into a rebuilt database, and %3 "
                               "could not be read.")
                    .arg(problems.first())
                    .arg(salvaged.deals)
                    .arg(salvaged.lost.size());
            working = rebuilt;
        });
        runStep(onFailure, [&] {
            auto db = SqliteDatabase::open(working);
            deleteBefore(*db, cutoff, outcome);
        });
        // The compacted database is written beside the live one, checked, and only then put
        // in its place; the file it was made from stays as ZEL_OLD.mdb.
        runStep(onFailure, [&] {
            removeIfThere(temporary(f.database));
            SqliteDatabase::open(working)->compactInto(temporary(f.database));
            sync(temporary(f.database));
            if (dealCount(*SqliteDatabase::open(temporary(f.database))) != outcome.kept)
                throw VolmeraError(QStringLiteral("The compacted database %1 does not hold every "
                                                  "deal; the database was left as it was.")
                                       .arg(temporary(f.database)));
        });
        runStep(onFailure, [&] {
            if (working != f.database) {
                replace(working, f.old);
                return;
            }
            removeIfThere(temporary(f.old));
            if (::link(QFile::encodeName(f.database).constData(),
                       QFile::encodeName(temporary(f.old)).constData()) != 0)
                copyFile(f.database, temporary(f.old)); // a file system without links
            replace(temporary(f.old), f.old);
        });
        runStep(onFailure, [&] { replace(temporary(f.database), f.database); });
        outcome.completed = true;
    } catch (const Stopped &stop) {
        outcome.failure = stop.description;
        // Unfinished files of this run are of no use; the live database is untouched by them.
        // Without the lock they may be another workstation's, which is purging right now.
        if (use) {
            QStringList unfinished{temporary(f.database), temporary(f.old), rebuilt};
            if (!outcome.backup.isEmpty())
                unfinished << temporary(outcome.backup);
            for (const QString &path : unfinished)
                QFile::remove(path);
        }
    }
    return outcome;
}

int blankPersonalData(const DatabaseAddress &database, const QDate &cutoff) {
    const auto use = DatabaseUse::take(database, DatabaseUse::Mode::Shared, 2000);
    if (!use)
        throw StoreError(Kind::Busy, QStringLiteral("The deal database is being purged and "
                                                    "rebuilt on another workstation; nothing was "
                                                    "blanked. Blank again when that is done."));
    auto db = Database::open(database);
    if (!database.onServer())
        static_cast<SqliteDatabase &>(*db).eraseFreedSpace();
    QStringList blanks, anyLeft;
    for (int field : DealSchema::personalFields()) {
        const QString name = quotedName(DealSchema::fields()[field].name);
        const bool last = field == DealSchema::ByLName; // a deal must have one
        blanks << name + (last ? QStringLiteral(" = ' '") : QStringLiteral(" = ''"));
        anyLeft << QStringLiteral("coalesce(%1, '') <> %2")
                       .arg(name, last ? QStringLiteral("' '") : QStringLiteral("''"));
    }
    const QString which =
        QStringLiteral("\"DateSold\" < ?1 AND (%1)").arg(anyLeft.join(QStringLiteral(" OR ")));
    Transaction t(*db);
    Audit::ensureTable(*db);
    Audit::Writer audit(*db);
    int blanked = 0;
    {
        Statement touched(*db, QStringLiteral("SELECT \"StkNbr\" FROM \"ZEL\" WHERE %1 ORDER BY %2")
                                   .arg(which, db->orderTerm(QStringLiteral("\"StkNbr\""), false)));
        touched.bind(1, cutoff);
        for (; touched.step(); ++blanked)
            audit.write(Audit::Action::Blank, touched.value(0).toString());
    }
    Statement blank(*db,
                    QStringLiteral("UPDATE \"ZEL\" SET %1, \"LNKey\" = ' ' || \"StkNbr\" WHERE %2")
                        .arg(blanks.join(QStringLiteral(", ")), which));
    blank.bind(1, cutoff);
    blank.step();
    audit.write(Audit::Action::Blank, {}, {}, QString(),
                QStringLiteral("sold before %1: %2 blanked")
                    .arg(cutoff.toString(QStringLiteral("MM/dd/yyyy")))
                    .arg(blanked));
    t.commit();
    return blanked;
}

Outcome purge(const DatabaseAddress &server, const Files &f, const QDate &cutoff,
              const OnFailure &onFailure) {
    Outcome outcome;
    std::unique_ptr<DatabaseUse> use;
    QString unfinished;
    try {
        // Every running copy holds the server's use lock shared; the purge needs it alone.
        runStep(onFailure, [&] { use = takeAlone(server); });
        runStep(onFailure, [&] {
            if (!QDir().mkpath(f.backupFolder))
                throw VolmeraError(
                    QStringLiteral("Cannot make the backup folder %1.").arg(f.backupFolder));
        });
        // The backup: a deal database file of its own, which this program opens like any other
        // and which can be moved to a server again.
        runStep(onFailure, [&] {
            outcome.backup = freeName(f.backup);
            unfinished = temporary(outcome.backup);
            removeIfThere(unfinished);
            const qint64 deals =
                PgDatabase::connect(server)->backupInto(unfinished, DealSchema::Table);
            if (dealCount(*SqliteDatabase::open(unfinished)) != deals)
                throw VolmeraError(QStringLiteral("The backup %1 does not hold every deal; "
                                                  "nothing was deleted.")
                                       .arg(unfinished));
            sync(unfinished);
            replace(unfinished, outcome.backup);
            unfinished.clear();
        });
        runStep(onFailure, [&] {
            auto db = PgDatabase::connect(server);
            deleteBefore(*db, cutoff, outcome);
        });
        runStep(onFailure, [&] { PgDatabase::connect(server)->compact(DealSchema::Table); });
        outcome.completed = true;
    } catch (const Stopped &stop) {
        outcome.failure = stop.description;
        if (!unfinished.isEmpty())
            QFile::remove(unfinished);
    }
    return outcome;
}

} // namespace DealPurge
