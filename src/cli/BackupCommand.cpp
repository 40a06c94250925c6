#include "cli/BackupCommand.h"

#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "cli/CommandLine.h"
#include "domain/startup/ZELMain.h"
#include "store/Backups.h"
#include "store/Purge.h"

#include <QDir>

using namespace CommandLine;

int runBackupCommand(const QStringList &arguments) {
    QCommandLineParser p;
    int status = Success;
    if (!parse(p, QStringLiteral("backup"), arguments, status))
        return status;
    if (!p.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("backup: unexpected argument %1").arg(p.positionalArguments().first()));
    if (!dealDatabaseThere(QStringLiteral("backup")))
        return Failure;
    try {
        const QString made =
            DailyBackup::make(dealDatabase(), DealPurge::files().backupFolder, Clock::today());
        print(stdout,
              QStringLiteral("backup: %1 (checked)\n").arg(QDir::current().relativeFilePath(made)));
        return Success;
    } catch (const VolmeraError &e) {
        print(stderr, QStringLiteral("volmera: backup: %1\n").arg(e.description()));
        return Failure;
    }
}

int runRestoreCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addOption({"yes", "Restore: the database is replaced, and the command line cannot ask."});
    p.addPositionalArgument("file", "The backup to put back.", "FILE");
    int status = Success;
    if (!parse(p, QStringLiteral("restore"), arguments, status))
        return status;
    if (p.positionalArguments().size() != 1)
        return usageError(QStringLiteral("restore: give the one backup FILE to put back"));
    // A relative name is the caller's, not the data folder's.
    const QString copy = QDir(callerFolder()).absoluteFilePath(p.positionalArguments().first());
    if (!p.isSet("yes")) {
        print(stderr, QStringLiteral("volmera: restore: nothing was restored: the database is "
                                     "replaced, and the command line cannot ask; run it again "
                                     "with --yes to restore\n"));
        return UsageError;
    }
    if (!dealDatabaseThere(QStringLiteral("restore")))
        return Failure;
    const DealPurge::Files files = DealPurge::files();
    try {
        DailyBackup::restore(copy, dealDatabase(), files.old);
    } catch (const VolmeraError &e) {
        print(stderr, QStringLiteral("volmera: restore: %1\n").arg(e.description()));
        return Failure;
    }
    print(stdout,
          QStringLiteral("restored: %1\nthe database as it was: %2\n").arg(copy, files.old));
    return Success;
}
