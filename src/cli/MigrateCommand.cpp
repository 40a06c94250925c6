#include "cli/MigrateCommand.h"

#include "base/AppSettings.h"
#include "base/PathMapping.h"
#include "cli/CommandLine.h"
#include "store/Migrate.h"

using namespace CommandLine;

int runMigrateCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addOption({"to", "The database on the server: a connection string or URI.", "URI"});
    int status = Success;
    if (!parse(p, QStringLiteral("migrate"), arguments, status))
        return status;
    if (!p.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("migrate: unexpected argument %1").arg(p.positionalArguments().first()));
    if (p.value("to").trimmed().isEmpty())
        return usageError(QStringLiteral("migrate: name the server's database with --to URI"));
    if (!FileExists(Defaults::DatabasePath)) {
        print(stderr, QStringLiteral("volmera: migrate: there is no deal database %1 here\n")
                          .arg(PathMapping::toLocal(Defaults::DatabasePath)));
        return Failure;
    }
    const DatabaseAddress server = DatabaseAddress::server(p.value("to"));
    try {
        const int copied =
            DealMigration::copyDeals(PathMapping::toLocal(Defaults::DatabasePath), server);
        print(stdout, QStringLiteral("deals copied: %1\nto: %2\nevery deal read back equal\n")
                          .arg(copied)
                          .arg(server.describe()));
    } catch (const std::exception &e) {
        print(stderr, QStringLiteral("volmera: migrate: %1\n").arg(QString::fromUtf8(e.what())));
        return Failure;
    }
    return Success;
}
