#include "store/Backups.h"

#include "store/DealSchema.h"
#include "store/Migrate.h"
#include "store/UseLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace DailyBackup {
namespace {
// "daily-2026-06-15.mdb", or "daily-2026-06-15-2.mdb" for a second copy that day.
const QRegularExpression &copyName() {
    static const QRegularExpression name(
        QStringLiteral("^daily-(\\d{4}-\\d{2}-\\d{2})(-(\\d+))?\\.mdb$"));
    return name;
}

void rename(const QString &from, const QString &to) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw VolmeraError(QStringLiteral("Cannot put %1 in place of %2: %3")
                               .arg(from, to, QString::fromLocal8Bit(std::strerror(errno))));
}
} // namespace

QString pathFor(const QString &folder, const QDate &day) {
    return QDir(folder).filePath(Prefix + day.toString(Qt::ISODate) + QStringLiteral(".mdb"));
}

bool due(const QString &folder, const QDate &day) {
    return !QFileInfo::exists(pathFor(folder, day));
}

QString problem(const QString &path, qint64 expectedDeals) {
    try {
        auto db = Database::open(path);
        if (!db->hasTable(DealSchema::Table))
            return QStringLiteral("it holds no deal table");
        if (const QStringList found = db->integrityProblems(1); !found.isEmpty())
            return QStringLiteral("it is damaged (%1)").arg(found.first());
        Statement count(
            *db, QStringLiteral("SELECT count(*) FROM %1").arg(quotedName(DealSchema::Table)));
        count.step();
        if (expectedDeals >= 0 && count.int64(0) != expectedDeals)
            return QStringLiteral("it holds %1 deals instead of %2")
                .arg(count.int64(0))
                .arg(expectedDeals);
    } catch (const VolmeraError &e) {
        QString why = e.description();
        if (why.endsWith(u'.'))
            why.chop(1);
        return why;
    }
    return {};
}

QString make(const DatabaseAddress &database, const QString &folder, const QDate &day,
             const std::atomic<bool> *stop) {
    if (!QDir().mkpath(folder))
        throw VolmeraError(QStringLiteral("Cannot make the backup folder %1.").arg(folder));
    QString path = pathFor(folder, day);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(
            QStringLiteral("%1%2-%3.mdb").arg(Prefix, day.toString(Qt::ISODate)).arg(n));
    const QString partial = path + QStringLiteral("-new");
    QFile::remove(partial);
    qint64 deals = 0;
    {
        auto db = Database::open(database);
        deals = db->backupInto(partial, DealSchema::Table, stop);
    }
    if (const QString wrong = problem(partial, deals); !wrong.isEmpty()) {
        QFile::remove(partial);
        throw VolmeraError(QStringLiteral("The backup %1 failed its check: %2.").arg(path, wrong));
    }
    rename(partial, path);
    // Only with a sound new copy in place do older ones go.
    for (const QString &name :
         notKept(QDir(folder).entryList({Prefix + QStringLiteral("*.mdb")}, QDir::Files)))
        QFile::remove(QDir(folder).filePath(name));
    return path;
}

QStringList notKept(const QStringList &names) {
    // Newest first: by day, then by the number of a later copy of that day.
    std::map<std::pair<QString, int>, QString, std::greater<>> copies;
    for (const QString &name : names) {
        const QRegularExpressionMatch m = copyName().match(name);
        if (m.hasMatch())
            copies[{m.captured(1), m.captured(3).isEmpty() ? 1 : m.captured(3).toInt()}] = name;
    }
    std::set<QString> days, months;
    QStringList gone;
    for (const auto &[key, name] : copies) {
        const QString &day = key.first;
        const QString month = day.left(7);
        const bool newestOfDay = !days.contains(day);
        const bool newestOfMonth = !months.contains(month);
        const bool kept = (newestOfDay && days.size() < KeptDays) ||
                          (newestOfMonth && months.size() < KeptMonths);
        days.insert(day);
        months.insert(month);
        if (!kept)
            gone << name;
    }
    return gone;
}

void restore(const QString &copy, const DatabaseAddress &database, const QString &oldPath) {
    if (const QString wrong = problem(copy); !wrong.isEmpty())
        throw VolmeraError(QStringLiteral("The backup %1 was not restored: %2. The database "
                                          "was left as it is.")
                               .arg(copy, wrong));
    const auto use = DatabaseUse::take(database, DatabaseUse::Mode::Exclusive, 0);
    if (!use)
        throw StoreError(StoreError::Kind::Busy,
                         QStringLiteral("The deal database is open on another workstation (or "
                                        "in another copy of the program); nothing was "
                                        "restored. Close the program there, then restore "
                                        "again."));
    if (database.onServer()) {
        // The server's deals as they are now are kept in a file first, as a file's would be;
        // then they are replaced in one transaction, which the record of changes keeps.
        const QString kept = oldPath + QStringLiteral("-new");
        QFile::remove(kept);
        Database::open(database)->backupInto(kept, DealSchema::Table);
        QFile::remove(oldPath);
        rename(kept, oldPath);
        DealMigration::copyDeals(copy, database, true);
        return;
    }
    const QString &databasePath = database.file();
    const QString fresh = databasePath + QStringLiteral("-restored");
    QFile::remove(fresh);
    qint64 deals = 0;
    {
        auto from = Database::open(copy);
        deals = from->backupInto(fresh, DealSchema::Table);
    }
    if (const QString wrong = problem(fresh, deals); !wrong.isEmpty()) {
        QFile::remove(fresh);
        throw VolmeraError(QStringLiteral("The restored copy failed its check: %1. The "
                                          "database was left as it is.")
                               .arg(wrong));
    }
    if (QFileInfo::exists(databasePath)) {
        QFile::remove(oldPath);
        rename(databasePath, oldPath);
    }
    rename(fresh, databasePath);
}

} // namespace DailyBackup
