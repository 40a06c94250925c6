#include "cli/LetterCommand.h"

#include "base/AppSettings.h"
#include "base/CliPrompter.h"
#include "base/Clock.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "cli/CommandLine.h"
#include "cli/ReportCommand.h"
#include "domain/reports/Letters.h"
#include "domain/reports/PaperPrint.h"
#include "domain/reports/Reports.h"
#include "domain/startup/ZELMain.h"

using namespace CommandLine;

int runLetterCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addOptions({
        {"letter", "0 dealership, 1 salesperson, 2 service follow-up (default 0).", "n"},
        {"pick", "The line of the letters list to write to, counting from 1.", "n"},
        {"from", "Beginning date of sale (default 01/01/1900).", "MM/DD/YYYY"},
        {"to", "Ending date of sale (default: today).", "MM/DD/YYYY"},
        {"vehicle", "new, used or all (default all).", "class"},
        {"by", "dealership or salesperson: the order of the list (default dealership).", "by"},
        {"today", "The date of the day, for reproducible output.", "MM/DD/YYYY"},
        {"print", "Print the letter on the default printer (the paper prompt is answered OK) "
                  "instead of writing it to standard output."},
    });
    // Conditions of other reports: known, so that they are refused by name, but not offered.
    QCommandLineOption model("model", {}, "text"), year("include-year"), format("format", {}, "f"),
        manager("fi-mgr", {}, "code");
    for (QCommandLineOption *other : {&model, &year, &format, &manager}) {
        other->setFlags(QCommandLineOption::HiddenFromHelp);
        p.addOption(*other);
    }
    int status = Success;
    if (!parse(p, QStringLiteral("letter"), arguments, status))
        return status;
    if (!p.positionalArguments().isEmpty())
        return usageError(QStringLiteral("letter: unexpected argument '%1'")
                              .arg(p.positionalArguments().first()));
    bool number = false;
    const int pick = p.value("pick").toInt(&number);
    if (!p.isSet("pick") || !number || pick < 1)
        return usageError(QStringLiteral("letter: --pick takes the number of a line of the "
                                         "letters list, from 1"));
    if (p.isSet("today")) {
        const QDate today = QDate::fromString(p.value("today"), QStringLiteral("MM/dd/yyyy"));
        if (!today.isValid())
            return usageError(QStringLiteral("letter: --today %1 is not a date (MM/DD/YYYY)")
                                  .arg(p.value("today")));
        Clock::setToday(today);
    }
    ReportConditions c;
    c.report = 6;
    c.EDT = Clock::todayText();
    if (const QString problem = readReportConditions(p, c); !problem.isEmpty())
        return usageError(QStringLiteral("letter: ") + problem);

    AppSettings &settings = appSettings();
    settings.DatabasePath = Defaults::DatabasePath;
    if (!dealDatabaseThere(QStringLiteral("letter")))
        return Failure;
    settings.TodayText = Clock::todayText();
    ErrorTrap settingsTrap(QStringLiteral("MAIN"));
    // A damaged settings file is reported; the letter is signed with what could be read.
    settingsTrap.run([&] { ReadSettings(settings); });
    settingsTrap.report();

    const ReportOutput out = buildReport(c, dealDatabase(), Prompter::current());
    if (out.cancelled) {
        print(stderr, QStringLiteral("volmera: letter: the letters list could not be made\n"));
        return Failure;
    }
    if (pick > out.lines.size()) {
        print(stderr,
              QStringLiteral("volmera: letter: --pick %1: the letters list has %2 line(s)\n")
                  .arg(pick)
                  .arg(out.lines.size()));
        return Failure;
    }
    QString letter;
    ErrorTrap trap(QStringLiteral("REPORT - LTR OK CMD"));
    if (!trap.run([&] {
            letter = composeLetter(recipientParts(out, pick - 1), c.letter, settings.TodayText,
                                   settings.DealerName);
        })) {
        trap.report();
        return Failure;
    }
    if (p.isSet("print")) {
        CliPrompter paperFed(true);
        return printLetter(letter, paperFed) ? Success : Failure;
    }
    print(stdout, letter.replace(QStringLiteral("\r\n"), QStringLiteral("\n")) + QLatin1Char('\n'));
    return Success;
}
