#include "cli/PurgeCommand.h"

#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "cli/CommandLine.h"
#include "store/Purge.h"

#include <QFileInfo>

using namespace CommandLine;

int runPurgeCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addOptions({
        {"before", "Delete the deals sold before this date (and those without a sale date).",
         "MM/DD/YYYY"},
        {"anonymize-before",
         "Instead, blank the names, address, city, state/zip, phone and birth dates of the "
         "deals sold before this date, keeping their stock numbers, vehicles and amounts.",
         "MM/DD/YYYY"},
        {"yes", "Purge: the answer the menu's question would need."},
    });
    int status = Success;
    if (!parse(p, QStringLiteral("purge"), arguments, status))
        return status;
    if (!p.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("purge: unexpected argument %1").arg(p.positionalArguments().first()));
    const bool blank = p.isSet("anonymize-before");
    if (blank && p.isSet("before"))
        return usageError(QStringLiteral("purge: give either --before or --anonymize-before"));
    if (!blank && !p.isSet("before"))
        return usageError(QStringLiteral("purge: give the cutoff with --before MM/DD/YYYY"));
    const QString typed = p.value(blank ? "anonymize-before" : "before");
    const std::optional<QDate> cutoff = DealPurge::readCutoff(typed);
    if (!cutoff)
        return usageError(QStringLiteral("purge: ") +
                          DealPurge::notADate(typed).replace(u'\n', u' '));
    if (!p.isSet("yes")) {
        print(stderr, blank ? QStringLiteral("volmera: purge: nothing was blanked: blanking "
                                             "cannot be undone, and the command line cannot "
                                             "ask; run it again with --yes to blank\n")
                            : QStringLiteral("volmera: purge: nothing was purged: deleting deals "
                                             "cannot be undone, and the command line cannot "
                                             "ask; run it again with --yes to purge\n"));
        return UsageError;
    }
    // Anything else at that name (a folder, a file that is no database) is the purge's to
    // report.
    if (!QFileInfo::exists(PathMapping::toLocal(Defaults::DatabasePath))) {
        print(stderr, QStringLiteral("volmera: purge: there is no deal database %1 here\n")
                          .arg(PathMapping::toLocal(Defaults::DatabasePath)));
        return Failure;
    }
    if (blank) {
        try {
            const int blanked =
                DealPurge::blankPersonalData(PathMapping::toLocal(Defaults::DatabasePath), *cutoff);
            print(stdout, QStringLiteral("blanked the personal data of deals sold before %1\n"
                                         "deals blanked: %2\n")
                              .arg(cutoff->toString(QStringLiteral("MM/dd/yyyy")))
                              .arg(blanked));
            return Success;
        } catch (const VolmeraError &e) {
            print(stderr, QStringLiteral("volmera: purge: %1\n").arg(e.description()));
            return Failure;
        }
    }
    const DealPurge::Files files = DealPurge::files();
    // Nothing answers Retry on the command line: the first failure ends the run.
    const DealPurge::Outcome out = DealPurge::purge(files, *cutoff, {});
    if (!out.completed) {
        print(
            stderr,
            QStringLiteral("volmera: purge: %1\n").arg(QString(out.failure).replace(u'\n', u' ')));
        return Failure;
    }
    QString text = QStringLiteral("purged deals sold before %1 and deals without a sale date\n"
                                  "deals deleted: %2\ndeals kept: %3\nbackup: %4\n"
                                  "before compaction: %5\n")
                       .arg(cutoff->toString(QStringLiteral("MM/dd/yyyy")))
                       .arg(out.deleted)
                       .arg(out.kept)
                       .arg(out.backup, files.old);
    if (!out.repair.isEmpty())
        text += QStringLiteral("repair: %1\n").arg(out.repair);
    if (!out.lost.isEmpty()) {
        text += QStringLiteral("deals that could not be read: %1\n").arg(out.lost.size());
        for (const QString &deal : out.lost)
            text += QStringLiteral("  %1\n").arg(deal);
    }
    print(stdout, text);
    // The purge is done, but not every deal came through it.
    if (!out.lost.isEmpty()) {
        print(stderr, QStringLiteral("volmera: purge: %1 deal(s) could not be read from the "
                                     "damaged database; the backup %2 holds the file as it was\n")
                          .arg(out.lost.size())
                          .arg(out.backup));
        return Failure;
    }
    return Success;
}
