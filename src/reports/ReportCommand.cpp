#include "reports/ReportCommand.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/CommandLine.h"
#include "app/PathMapping.h"
#include "app/Prompter.h"
#include "entry/DateCheck.h"
#include "reports/Reports.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace CommandLine;

namespace {
// The screen label in front of each totals caption.
QString totalsLabel(const QString &control) {
    return control == QLatin1String("lblCommAv") ? QStringLiteral("Average Commission")
                                                 : QStringLiteral("Total");
}

int choice(const QString &value, const QStringList &names) {
    return int(names.indexOf(value));
}

// Reads the conditions the way the report screen would let the user set them for this report.
// Returns an empty text when they are fine, else why not.
QString readConditions(const QCommandLineParser &p, ReportConditions &c) {
    const int r = c.report;
    auto refuse = [&](const QString &option) {
        return QStringLiteral("%1 cannot be used with the %2 report")
            .arg(option, reportKind(r)->name);
    };
    if (p.isSet("vehicle")) {
        c.Veh = choice(p.value("vehicle"), {"new", "used", "all"});
        if (c.Veh < 0)
            return QStringLiteral("--vehicle takes new, used or all");
        if ((r == 2 || r == 4) && c.Veh != ReportConditions::All)
            return refuse("--vehicle " + p.value("vehicle"));
    }
    if (p.isSet("by")) {
        c.PrtBy = choice(p.value("by"), {"dealership", "salesperson", "asm"});
        if (c.PrtBy < 0)
            return QStringLiteral("--by takes dealership, salesperson or asm");
        if ((r == 4 && c.PrtBy == ReportConditions::Salesperson) ||
            (r != 4 && c.PrtBy == ReportConditions::ASM))
            return refuse("--by " + p.value("by"));
    }
    if (p.isSet("fi-mgr")) {
        if (r != 1)
            return refuse("--fi-mgr");
        c.FIMgr = p.value("fi-mgr").left(3);
    }
    if (p.isSet("model")) {
        if (r != 10)
            return refuse("--model");
        c.Model = p.value("model").left(8);
    }
    if (p.isSet("include-year")) {
        if (r != 7)
            return refuse("--include-year");
        c.AnnvYr = true;
    }
    if (p.isSet("format")) {
        c.PrtFmt = choice(p.value("format"), {"line", "label"});
        if (c.PrtFmt < 0)
            return QStringLiteral("--format takes line or label");
        if (r != 5)
            return refuse("--format");
        if (c.PrtFmt == ReportConditions::LabelFormat && c.PrtBy == ReportConditions::Salesperson)
            return QStringLiteral("--format label prints for the dealership only");
    }
    if (p.isSet("letter")) {
        c.letter = choice(p.value("letter"), {"0", "1", "2"});
        if (c.letter < 0)
            return QStringLiteral("--letter takes 0, 1 or 2");
        if (r != 6)
            return refuse("--letter");
    }
    // The anniversary and birth date lists take their dates as typed; the others complete
    // them as the screen does when a date box is left.
    const bool asTyped = r == 7 || r == 8;
    for (const auto &[option, target] :
         {std::pair<QString, QString *>{"from", &c.BDT}, {"to", &c.EDT}}) {
        if (!p.isSet(option))
            continue;
        const QString typed = p.value(option).left(10);
        if (asTyped) {
            *target = typed;
            continue;
        }
        const QString date = typed.trimmed().isEmpty() ? QString() : DateCheck('D', typed);
        if (date.isEmpty())
            return QStringLiteral("--%1 %2 is not a date (MM/DD/YYYY)").arg(option, typed);
        *target = date;
    }
    return {};
}

void writeText(const ReportOutput &out) {
    QString text;
    for (const QString &line : out.lines)
        text += line + QLatin1Char('\n');
    for (const auto &[control, caption] : out.totals)
        text += totalsLabel(control) + QLatin1Char(' ') + caption + QLatin1Char('\n');
    print(stdout, text);
}

void writeJson(const ReportOutput &out) {
    QJsonObject doc;
    doc.insert("lines", QJsonArray::fromStringList(out.lines));
    if (!out.totals.isEmpty()) {
        QJsonObject totals;
        for (const auto &[control, caption] : out.totals)
            totals.insert(control, caption);
        doc.insert("totals", totals);
    }
    doc.insert("salespeople", QJsonArray::fromStringList(out.salespeople));
    print(stdout, QString::fromUtf8(QJsonDocument(doc).toJson(QJsonDocument::Compact)) + "\n");
}
} // namespace

int runReportCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addPositionalArgument("kind", "fi-log, summary, gross-sales, commission, names, "
                                    "anniversary, birthday, service, model or letters.");
    p.addOptions({
        {"from", "Beginning date (default 01/01/1900).", "MM/DD/YYYY"},
        {"to", "Ending date (default: today).", "MM/DD/YYYY"},
        {"vehicle", "new, used or all (default all).", "class"},
        {"by", "dealership, salesperson or asm (default dealership).", "by"},
        {"fi-mgr", "F&I manager code for the F&I log (default ALL).", "code"},
        {"model", "Model for the model report.", "text"},
        {"include-year", "Anniversary list: compare the year too."},
        {"format", "Customer file: line or label (default line).", "format"},
        {"letter", "Letters: 0 dealership, 1 salesperson, 2 service (default 0).", "n"},
        {"today", "The date of the day, for reproducible output.", "MM/DD/YYYY"},
        {"json", "Write one JSON object instead of text."},
    });
    int status = Success;
    if (!parse(p, QStringLiteral("report"), arguments, status))
        return status;
    const QStringList kindArgs = p.positionalArguments();
    const ReportKind *kind = kindArgs.size() == 1 ? reportKindNamed(kindArgs[0]) : nullptr;
    if (kind == nullptr)
        return usageError(QStringLiteral("report: name one report: fi-log, summary, gross-sales, "
                                         "commission, names, anniversary, birthday, service, "
                                         "model or letters"));
    if (p.isSet("today")) {
        const QDate today = QDate::fromString(p.value("today"), QStringLiteral("MM/dd/yyyy"));
        if (!today.isValid())
            return usageError(QStringLiteral("report: --today %1 is not a date (MM/DD/YYYY)")
                                  .arg(p.value("today")));
        Clock::setToday(today);
    }
    ReportConditions c;
    c.report = kind->selector;
    c.EDT = Clock::todayText();
    if (const QString problem = readConditions(p, c); !problem.isEmpty())
        return usageError(QStringLiteral("report: ") + problem);

    AppSettings &settings = appSettings();
    settings.DatabasePath = Defaults::DatabasePath;
    settings.TodayText = Clock::todayText();
    const ReportOutput out =
        buildReport(c, PathMapping::toLocal(settings.DatabasePath), Prompter::current());
    if (p.isSet("json"))
        writeJson(out);
    else
        writeText(out);
    if (out.cancelled) {
        print(stderr, QStringLiteral("volmera: report: the build was cancelled; the lines above "
                                     "are those made before it stopped.\n"));
        return Failure;
    }
    return Success;
}
