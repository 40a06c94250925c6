#include "cli/InitCommand.h"

#include "base/ErrorTrap.h"
#include "cli/CommandLine.h"
#include "domain/startup/DataFolder.h"

#include <QDir>

using namespace CommandLine;

namespace {
const int mostSampleDeals = 1000000;
}

int runInitCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addOption({"sample",
                 "Also fill an empty deal database with N generated deals, for a first look.",
                 "N"});
    int status = Success;
    // The data folder is made when it is missing.
    if (!parse(p, QStringLiteral("init"), arguments, status, true))
        return status;
    if (!p.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("init: unexpected argument %1").arg(p.positionalArguments().first()));
    int sample = 0;
    if (p.isSet("sample")) {
        bool number = false;
        sample = p.value("sample").toInt(&number);
        if (!number || sample < 1 || sample > mostSampleDeals)
            return usageError(QStringLiteral("init: --sample takes a number of deals from 1 to "
                                             "%1, not '%2'")
                                  .arg(mostSampleDeals)
                                  .arg(p.value("sample")));
    }
    const QString shipped = DataFolder::shippedFiles();
    if (shipped.isEmpty()) {
        print(stderr, QStringLiteral("volmera: init: the program's shipped files (letter "
                                     "templates, help document) are missing; reinstall it\n"));
        return Failure;
    }
    try {
        bool first = true;
        DataFolder::prepare(shipped, sample, [&](const QString &line) {
            if (first)
                print(stdout, QStringLiteral("Data folder %1 (shipped files from %2)\n")
                                  .arg(QDir::currentPath(), shipped));
            first = false;
            print(stdout, line + QLatin1Char('\n'));
        });
    } catch (const VolmeraError &e) {
        print(stderr, QStringLiteral("volmera: init: %1\n").arg(e.description()));
        return Failure;
    }
    return Success;
}
