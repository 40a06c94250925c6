#include "cli/SheetCommand.h"

#include "base/AppSettings.h"
#include "base/CliPrompter.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "cli/CommandLine.h"
#include "domain/entry/DealBinding.h"
#include "domain/entry/DealSheet.h"
#include "domain/entry/Totals.h"
#include "domain/startup/ZELMain.h"

using namespace CommandLine;

int runSheetCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addPositionalArgument("stock", "The stock number of a saved deal.");
    p.addOption({"print", "Print the sheet on the default printer (the paper prompt is "
                          "answered OK) instead of writing it to standard output."});
    int status = Success;
    if (!parse(p, QStringLiteral("sheet"), arguments, status))
        return status;
    const QStringList stockArgs = p.positionalArguments();
    if (stockArgs.size() != 1 || stockArgs[0].trimmed().isEmpty())
        return usageError(QStringLiteral("sheet: name the stock number of one deal"));
    // Found the way the entry screen finds a stock number that was typed.
    const QString stock = stockArgs[0].trimmed().left(8);

    AppSettings &settings = appSettings();
    settings.DatabasePath = Defaults::DatabasePath;
    if (!dealDatabaseThere(QStringLiteral("sheet")))
        return Failure;
    settings.VersionText = Defaults::VersionText;
    ErrorTrap settingsTrap(QStringLiteral("MAIN"));
    // A damaged settings file is reported; the sheet is headed with what could be read.
    settingsTrap.run([&] { ReadSettings(settings); });
    settingsTrap.report();

    ShownDeal deal;
    try {
        DealBinding bound;
        bound.open(dealDatabase());
        Recordset &rs = bound.recordset();
        rs.findFirst(findCriteria(QStringLiteral("StkNbr"), QStringLiteral("="), stock));
        if (rs.noMatch()) {
            print(stderr,
                  QStringLiteral("volmera: sheet: no deal has the stock number '%1'\n").arg(stock));
            return Failure;
        }
        deal = bound.current();
    } catch (const std::exception &e) {
        print(stderr, QStringLiteral("volmera: sheet: %1\n").arg(QString::fromUtf8(e.what())));
        return Failure;
    }

    const DealTotals totals = CalcTotals(deal.boxes);
    const QStringList lines =
        dealSheetLines({entryCaption(settings.VersionText, settings.DealerName), deal.boxes,
                        fieldCaptions(), totals.fiReserveCaption, totals.profitCaption});
    if (p.isSet("print")) {
        CliPrompter paperFed(true);
        return printDealSheet(lines, paperFed) ? Success : Failure;
    }
    print(stdout, lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    return Success;
}
