#include "cli/ImportCommand.h"

#include "base/AppSettings.h"
#include "base/DatabaseSetting.h"
#include "base/PathMapping.h"
#include "cli/CommandLine.h"
#include "domain/import/Import.h"
#include "store/DealSchema.h"

#include <QDir>
#include <QFileInfo>

using namespace CommandLine;

namespace {
// The deal database (the data folder's file, or the server a setting names), made and brought
// up to date as start-up does.
DatabaseAddress importTarget() {
    const QString server = DatabaseSetting::server();
    if (!server.isEmpty()) {
        const DatabaseAddress address = DatabaseAddress::server(server);
        openDealDatabase(address);
        return address;
    }
    const QString path = PathMapping::toLocal(Defaults::DatabasePath);
    if (!FileExists(Defaults::DatabasePath))
        createDealDatabase(path);
    openDealDatabase(path);
    return path;
}

QString summary(const DealImport::ExportFile &file, const DealImport::Outcome &out) {
    QString text = QStringLiteral("import %1 (form %2)\n").arg(file.path).arg(int(file.form));
    text += QStringLiteral("deals imported: %1\n").arg(out.imported);
    text += QStringLiteral("skipped as already present: %1\n").arg(out.alreadyPresent);
    if (out.notForImport > 0)
        text += QStringLiteral("not for import (stock number \"*\"): %1\n").arg(out.notForImport);
    text += QStringLiteral("refused: %1\n").arg(out.refused.size());
    for (const DealImport::Refusal &r : out.refused)
        text += QStringLiteral("  %1, stock %2: %3\n")
                    .arg(r.where, r.stockNumber.isEmpty() ? QStringLiteral("?") : r.stockNumber,
                         r.reason);
    if (file.form == DealImport::Form::Delimited)
        text +=
            out.fileDeleted ? QStringLiteral("the file was deleted\n")
            : out.fileDeletedElsewhere
                ? QStringLiteral("the file had been deleted meanwhile by another import of it\n")
                : QStringLiteral("the file was left in place, so that no deal is lost\n");
    return text;
}
} // namespace

int runImportCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addPositionalArgument("file",
                            "The export file (default: \\FI\\ZEL_DB.DBF, else "
                            "\\FI\\INV.PST under the drive root).",
                            "[FILE]");
    p.addOptions({
        {"form", "1 (fixed records) or 2 (comma-delimited) when FILE's name does not tell.", "n"},
        {"yes", "Import: the answer to \"ARE YOU SURE YOU WANT TO IMPORT!\"."},
    });
    int status = Success;
    if (!parse(p, QStringLiteral("import"), arguments, status))
        return status;
    const QStringList files = p.positionalArguments();
    if (files.size() > 1)
        return usageError(QStringLiteral("import: name at most one export file"));

    DealImport::ExportFile file;
    if (files.isEmpty()) {
        if (p.isSet("form"))
            return usageError(QStringLiteral("import: --form is for a named FILE"));
        const auto found = DealImport::findExport();
        if (!found) {
            print(stderr,
                  QStringLiteral("volmera: import: NO IMPORT FILE FOUND (looked for "
                                 "%1 and %2)\n")
                      .arg(PathMapping::toLocal(DealImport::ExportFolder) + DealImport::FixedName,
                           PathMapping::toLocal(DealImport::ExportFolder) +
                               DealImport::DelimitedName));
            return Failure;
        }
        file = *found;
    } else {
        // A FILE named relative to where the command was given, not to the data folder.
        file.path = QDir::cleanPath(QDir(callerFolder()).absoluteFilePath(files.first()));
        if (!QFileInfo(file.path).isFile())
            return usageError(QStringLiteral("import: there is no file %1").arg(file.path));
        std::optional<DealImport::Form> form = DealImport::formOfName(file.path);
        if (p.isSet("form")) {
            const QString n = p.value("form");
            form = n == QLatin1String("1")   ? std::optional(DealImport::Form::Fixed)
                   : n == QLatin1String("2") ? std::optional(DealImport::Form::Delimited)
                                             : std::nullopt;
            if (!form)
                return usageError(QStringLiteral("import: --form takes 1 or 2"));
        }
        if (!form)
            return usageError(QStringLiteral("import: the name of %1 does not tell its form; "
                                             "give --form 1 or --form 2")
                                  .arg(file.path));
        file.form = *form;
    }
    if (!p.isSet("yes")) {
        print(stderr, QStringLiteral("volmera: import: nothing was imported from %1: the command "
                                     "line cannot ask \"ARE YOU SURE YOU WANT TO IMPORT!\"; run "
                                     "it again with --yes to import\n")
                          .arg(file.path));
        return UsageError;
    }

    DatabaseAddress database;
    try {
        database = importTarget();
    } catch (const std::exception &e) {
        print(stderr, QStringLiteral("volmera: import: %1\n").arg(QString::fromUtf8(e.what())));
        return Failure;
    }
    const DealImport::Outcome out = DealImport::importDeals(database, file);
    print(stdout, summary(file, out));
    if (!out.failure.isEmpty())
        print(stderr, QStringLiteral("volmera: import: %1\n").arg(out.failure));
    return out.clean() ? Success : Failure;
}
