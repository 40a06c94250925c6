#include "cli/ReportCommand.h"

#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "base/Prompter.h"
#include "base/ScriptedPrompter.h"
#include "cli/CommandLine.h"
#include "cli/OutputWriter.h"
#include "cli/PaperFedPrompter.h"
#include "domain/entry/DateCheck.h"
#include "domain/export/ReportExport.h"
#include "domain/export/SheetFiles.h"
#include "domain/reports/Labels.h"
#include "domain/reports/ReportPrinting.h"
#include "domain/reports/ReportSelection.h"
#include "domain/reports/Reports.h"
#include "domain/startup/ZELMain.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>
#include <iterator>

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

} // namespace

QString readReportConditions(const QCommandLineParser &p, ReportConditions &c) {
    const ReportDescriptor &report = *reportDescriptor(c.report);
    // What the report screen offers for this report, and nothing else.
    const auto takes = [&](unsigned condition) { return (report.accepts & condition) != 0; };
    const auto refuse = [&](const QString &option) {
        return QStringLiteral("%1 cannot be used with the %2 report").arg(option, report.name);
    };
    if (p.isSet("vehicle")) {
        c.Veh = choice(p.value("vehicle"), {"new", "used", "all"});
        if (c.Veh < 0)
            return QStringLiteral("--vehicle takes new, used or all");
        if (c.Veh != ReportConditions::All && !takes(Accepts::NewUsed))
            return refuse("--vehicle " + p.value("vehicle"));
    }
    if (p.isSet("by")) {
        c.PrtBy = choice(p.value("by"), {"dealership", "salesperson", "asm"});
        if (c.PrtBy < 0)
            return QStringLiteral("--by takes dealership, salesperson or asm");
        if ((c.PrtBy == ReportConditions::Salesperson && !takes(Accepts::Salesperson)) ||
            (c.PrtBy == ReportConditions::ASM && !takes(Accepts::ASM)))
            return refuse("--by " + p.value("by"));
    }
    const std::pair<const char *, unsigned> others[] = {{"fi-mgr", Accepts::FIMgr},
                                                        {"model", Accepts::Model},
                                                        {"include-year", Accepts::IncludeYear},
                                                        {"format", Accepts::Format},
                                                        {"letter", Accepts::Letter}};
    for (const auto &[option, condition] : others) {
        if (p.isSet(option) && !takes(condition))
            return refuse(QStringLiteral("--") + QLatin1String(option));
    }
    if (p.isSet("fi-mgr"))
        c.FIMgr = p.value("fi-mgr").left(3);
    if (p.isSet("model"))
        c.Model = p.value("model").left(8);
    c.AnnvYr = p.isSet("include-year");
    if (p.isSet("format")) {
        c.PrtFmt = choice(p.value("format"), {"line", "label"});
        if (c.PrtFmt < 0)
            return QStringLiteral("--format takes line or label");
        if (c.PrtBy == ReportConditions::Salesperson && !offersSalesperson(c))
            return QStringLiteral("--format label prints for the dealership only");
    }
    if (p.isSet("letter")) {
        c.letter = choice(p.value("letter"), {"0", "1", "2"});
        if (c.letter < 0)
            return QStringLiteral("--letter takes 0, 1 or 2");
    }
    // A report that reaches back from its ending date by itself takes no beginning date.
    if (p.isSet("from") && takes(Accepts::EndingOnly))
        return refuse(QStringLiteral("--from"));
    // The dates are completed as the screen completes them when a date box is left.
    for (const auto &[option, target] :
         {std::pair<QString, QString *>{"from", &c.BDT}, {"to", &c.EDT}}) {
        if (!p.isSet(option))
            continue;
        const QString typed = p.value(option).left(10);
        const QString date = typed.trimmed().isEmpty() ? QString() : DateCheck('D', typed);
        if (date.isEmpty())
            return QStringLiteral("--%1 %2 is not a date (MM/DD/YYYY)").arg(option, typed);
        *target = date;
    }
    return {};
}

void addReportConditionOptions(QCommandLineParser &p) {
    p.addOptions({
        {"from", "Beginning date (default 01/01/1900).", "MM/DD/YYYY"},
        {"to", "Ending date (default: today).", "MM/DD/YYYY"},
        {"vehicle", "new, used or all (default all).", "class"},
        {"by", "dealership, salesperson or asm (default dealership).", "by"},
        {"fi-mgr", "F&I manager code for the F&I log (default ALL).", "code"},
        {"model", "Model for the model report.", "text"},
        {"include-year", "Anniversary list: whole dates, the year included (default: the "
                         "month and day, in any year)."},
        {"format", "Customer file: line or label (default line).", "format"},
        {"letter", "Letters: 0 dealership, 1 salesperson, 2 service (default 0).", "n"},
        {"today", "The date of the day, for reproducible output.", "MM/DD/YYYY"},
    });
}

bool readToday(const QCommandLineParser &p, const QString &command) {
    if (!p.isSet("today"))
        return true;
    const QDate today = QDate::fromString(p.value("today"), QStringLiteral("MM/dd/yyyy"));
    if (!today.isValid()) {
        usageError(QStringLiteral("%1: --today %2 is not a date (MM/DD/YYYY)")
                       .arg(command, p.value("today")));
        return false;
    }
    Clock::setToday(today);
    return true;
}

namespace {
// The headings and the lines, then each totals caption after its screen label. False when the
// output refused it.
bool writeText(const ReportOutput &out) {
    OutputWriter w(stdout);
    for (const QString &line : out.headings)
        w.text(line).bytes("\n");
    out.lines.encode(
        [](QByteArray &piece, qsizetype, const QString &line) {
            OutputWriter::appendText(piece, line);
            piece.append('\n');
        },
        [&w](const QByteArray &piece) { w.bytes(piece); });
    for (const auto &[control, caption] : out.totals)
        w.text(totalsLabel(control)).bytes(" ").text(caption).bytes("\n");
    return w.finish();
}

// A cell's number as the spreadsheet export holds it. An amount or a count is that number
// itself (the nearest double to its exact value, as reading its text gives); the others are
// rounded as their text is.
double cellNumber(const SheetCell &cell) {
    switch (cell.kind) {
    case SheetCell::Money:
        return cell.amount.toDouble();
    case SheetCell::Count:
        return double(cell.count);
    case SheetCell::Percent:
        // Of two decimals already, its text reads back as the nearest double to the amount.
        if (cell.amount.tenThousandths() % 100 == 0)
            return cell.amount.toDouble();
        return csvText(cell).toDouble();
    default:
        return csvText(cell).toDouble();
    }
}

// An amount that the spreadsheet export holds as its nearest double, written at out as that
// double would be (see cellNumber), from the amount itself: up to fifteen digits, the double's
// shortest text is the amount's own decimals without trailing zeros. Returns the end of what it
// wrote (at most 24 characters); null, with nothing written, for an amount written otherwise (a
// fraction of a cent, more digits) or another cell.
char *writeAmount(char *out, const SheetCell &cell) {
    if (cell.kind != SheetCell::Money &&
        (cell.kind != SheetCell::Percent || cell.amount.tenThousandths() % 100 != 0))
        return nullptr;
    const qint64 units = cell.amount.tenThousandths();
    const quint64 magnitude = units < 0 ? 0 - quint64(units) : quint64(units);
    if (magnitude >= 1'000'000'000'000'000 || (magnitude % 10000 != 0 && magnitude < 100))
        return nullptr;
    if (units < 0)
        *out++ = '-';
    out = std::to_chars(out, out + 20, magnitude / 10000).ptr;
    if (quint64 decimals = magnitude % 10000; decimals != 0) {
        *out++ = '.';
        for (quint64 place = 1000; decimals != 0; place /= 10) {
            *out++ = char('0' + decimals / place);
            decimals %= place;
        }
    }
    return out;
}

// A cell as the spreadsheet export holds it: JSON null, a string or a number.
void appendCell(QByteArray &piece, const SheetCell &cell) {
    if (cell.kind == SheetCell::Empty)
        piece.append("null");
    else if (!cell.isNumber())
        OutputWriter::appendJsonString(piece, csvText(cell));
    else if (char digits[25]; char *end = writeAmount(digits, cell))
        piece.append(digits, end - digits);
    else
        OutputWriter::appendJsonNumber(piece, cellNumber(cell));
}

// A row as a JSON array after a comma. Plain texts, counts and amounts, as the reports' cells
// mostly are, are written through a pointer into room made for the row's longest form: a
// report's rows run to hundreds of thousands. Any other cell is written by appendCell.
void appendRow(QByteArray &piece, const SheetRow &row) {
    const QList<SheetCell> &cells = row.cells;
    qsizetype most = 3;
    for (const SheetCell &cell : cells)
        most += cell.kind == SheetCell::Text ? cell.text.size() + 3 : 25;
    qsizetype at = piece.size();
    piece.resize(at + most);
    char *out = piece.data() + at;
    *out++ = ',';
    *out++ = '[';
    for (qsizetype c = 0; c < cells.size(); ++c) {
        const SheetCell &cell = cells[c];
        if (c > 0)
            *out++ = ',';
        bool plain = true;
        char *const start = out;
        if (cell.kind == SheetCell::Empty) {
            out = std::copy_n("null", 4, out);
        } else if (cell.kind == SheetCell::Text) {
            *out++ = '"';
            char *const end = OutputWriter::copyPlain(out, cell.text, true);
            plain = end != nullptr;
            if (plain) {
                out = end;
                *out++ = '"';
            }
        } else if (cell.kind == SheetCell::Count) {
            // As its double: all its digits up to 2^53.
            plain = cell.count >= -(qint64(1) << 53) && cell.count <= qint64(1) << 53;
            out = std::to_chars(out, out + 24, cell.count).ptr;
        } else if (char *end = writeAmount(out, cell)) {
            out = end;
        } else {
            plain = false;
        }
        if (!plain) {
            // What is written stays; the row's longest form still bounds the rest.
            piece.resize(start - piece.constData());
            appendCell(piece, cell);
            at = piece.size();
            piece.resize(at + most);
            out = piece.data() + at;
        }
    }
    *out++ = ']';
    piece.resize(out - piece.constData());
}

// One compact JSON object, its keys in QJsonObject's order (by name). The lines and the
// spreadsheet's rows, which may run to hundreds of thousands, are written one by one; the rest
// is small.
bool writeJson(const ReportOutput &out) {
    QJsonObject before, rest;
    if (!out.headings.isEmpty())
        before.insert("headings", QJsonArray::fromStringList(out.headings));
    if (!out.sheet.isEmpty()) {
        QJsonArray columns;
        for (const SheetColumn &column : out.sheet.columns)
            columns << column.heading;
        before.insert("columns", columns);
    }
    if (!out.totals.isEmpty()) {
        QJsonObject totals;
        for (const auto &[control, caption] : out.totals)
            totals.insert(control, caption);
        rest.insert("totals", totals);
    }
    rest.insert("salespeople", QJsonArray::fromStringList(out.salespeople));
    OutputWriter w(stdout);
    w.bytes("{");
    if (!before.isEmpty()) {
        const QByteArray head = QJsonDocument(before).toJson(QJsonDocument::Compact);
        w.bytes(head.mid(1, head.size() - 2)).bytes(",");
    }
    w.bytes("\"lines\":[");
    out.lines.encode(
        [](QByteArray &piece, qsizetype i, const QString &line) {
            if (i > 0)
                piece.append(',');
            OutputWriter::appendJsonString(piece, line);
        },
        [&w](const QByteArray &piece) { w.bytes(piece); });
    w.bytes("],");
    if (!out.sheet.isEmpty()) {
        // The figures as numbers: what the spreadsheet export holds.
        w.bytes("\"rows\":[");
        // Each row follows a comma, but for the first of all.
        bool firstRow = true;
        out.sheet.encodeRows(appendRow, [&](const QByteArray &piece) {
            if (piece.isEmpty())
                return;
            w.bytes(QByteArrayView(piece).sliced(firstRow ? 1 : 0));
            firstRow = false;
        });
        w.bytes("],");
    }
    const QByteArray tail = QJsonDocument(rest).toJson(QJsonDocument::Compact);
    w.bytes(tail.mid(1)).bytes("\n");
    return w.finish();
}

// The print options as the print dialog and the print conditions panel would let them be set
// for this report. Returns an empty text when they are fine, else why not.
QString readPrintOptions(const QCommandLineParser &p, const ReportConditions &c) {
    const bool printing = p.isSet("print") || p.isSet("print-to-file");
    if (p.isSet("export")) {
        ExportFormat format = ExportFormat::Pdf;
        if (!exportFormatOf(p.value("export"), format))
            return QStringLiteral("--export %1: name the file .pdf, .xlsx or .csv")
                .arg(p.value("export"));
        if (printing || p.isSet("json"))
            return QStringLiteral("--export writes a file: use it without --print, "
                                  "--print-to-file or --json");
    }
    if (p.isSet("paper")) {
        PdfOptions::Paper paper = PdfOptions::Letter;
        if (!paperNamed(p.value("paper"), paper))
            return QStringLiteral("--paper takes letter or a4");
        if (!p.value("export").endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            return QStringLiteral("--paper is the paper of a PDF: use it with --export FILE.pdf");
    }
    if (p.isSet("print") && p.isSet("print-to-file"))
        return QStringLiteral("--print and --print-to-file cannot be used together");
    if ((p.isSet("printer") || p.isSet("copies")) && !p.isSet("print"))
        return QStringLiteral("--printer and --copies choose the printer: use them with --print");
    bool counted = false;
    if (p.isSet("copies") && (p.value("copies").toInt(&counted) < 1 || !counted))
        return QStringLiteral("--copies takes a number of copies, from 1");
    for (const char *option : {"salesperson", "continuous", "compressed"}) {
        if (p.isSet(option) && !printing)
            return QStringLiteral("--%1 is a print condition: use it with --print or "
                                  "--print-to-file")
                .arg(QLatin1String(option));
    }
    if (!printing)
        return {};
    if (p.isSet("json"))
        return QStringLiteral("--json cannot be used when printing");
    if (reportDescriptor(c.report)->documentFile.isEmpty())
        return QStringLiteral("the letters print one at a time: see 'volmera letter --help'");
    if (c.PrtFmt == ReportConditions::LabelFormat && p.isSet("print-to-file"))
        return QStringLiteral("mailing labels go to the line printer: use --print");
    if (p.isSet("salesperson") && c.PrtBy != ReportConditions::Salesperson)
        return QStringLiteral("--salesperson needs --by salesperson");
    if (p.isSet("compressed") &&
        reportDescriptor(c.report)->layout.header != PageLayout::Header::FILog)
        return QStringLiteral("--compressed is for the fi-log report only");
    return {};
}

// Writes the built report to the file of --export, named from the caller's folder.
int exportBuilt(const QCommandLineParser &p, const ReportConditions &c, const ReportOutput &out) {
    ErrorTrap settingsTrap(QStringLiteral("MAIN"));
    // A damaged settings file is reported; the page headers carry what could be read.
    settingsTrap.run([&] { ReadSettings(appSettings()); });
    settingsTrap.report();
    PdfOptions::Paper paper = PdfOptions::Letter;
    paperNamed(p.value("paper"), paper);
    const QString path = QDir(callerFolder()).absoluteFilePath(p.value("export"));
    try {
        exportReport(c, out, path, paper);
    } catch (const VolmeraError &e) {
        print(stderr, QStringLiteral("volmera: report: ") + e.description() + u'\n');
        return Failure;
    }
    print(stdout, path + u'\n');
    return Success;
}

// Prints the built report as the print conditions panel's OK would.
int printBuilt(const QCommandLineParser &p, const ReportConditions &c, const ReportOutput &out) {
    if (out.cancelled) {
        print(stderr, QStringLiteral("volmera: report: the build was cancelled; nothing was "
                                     "printed.\n"));
        return Failure;
    }
    ErrorTrap settingsTrap(QStringLiteral("MAIN"));
    // A damaged settings file is reported; the page headers carry what could be read.
    settingsTrap.run([&] { ReadSettings(appSettings()); });
    settingsTrap.report();
    PrintRun run = printRunFor(c, out);
    if (p.isSet("salesperson")) {
        run.salesperson = p.value("salesperson").trimmed();
        const bool known =
            std::any_of(out.salespeople.begin(), out.salespeople.end(), [&](const QString &name) {
                return ReportSelection::sameKey(name, run.salesperson);
            });
        if (run.salesperson.compare(QLatin1String("ALL"), Qt::CaseInsensitive) == 0)
            run.salesperson = QStringLiteral("ALL");
        else if (!known)
            return usageError(QStringLiteral("report: --salesperson %1 is not among the "
                                             "salespeople of this report: %2")
                                  .arg(run.salesperson, out.salespeople.isEmpty()
                                                            ? QStringLiteral("(none)")
                                                            : out.salespeople.join(", ")));
    }
    run.continuous = p.isSet("continuous");
    run.compressed = p.isSet("compressed");
    run.printer.toFile = p.isSet("print-to-file");
    run.printer.printer = p.value("printer");
    run.printer.copies = p.isSet("copies") ? p.value("copies").toInt() : 1;
    PaperFedPrompter paperFed;
    PrompterScope scope(&paperFed);
    if (!printReport(run, c.PrtFmt == ReportConditions::LabelFormat))
        return Failure;
    if (out.lines.isEmpty())
        print(stderr, QStringLiteral("volmera: report: the report is empty; nothing was "
                                     "printed.\n"));
    else if (run.printer.toFile)
        print(stdout, printedFilePath(run) + QLatin1Char('\n'));
    return Success;
}
} // namespace

int runReportCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addPositionalArgument("kind", reportNames() + QLatin1Char('.'));
    addReportConditionOptions(p);
    p.addOptions({
        {"json", "Write one JSON object instead of text."},
        {"print-to-file", "Print the report to its document file in the data folder (GSRpt.DOC, "
                          "...) instead of writing its lines."},
        {"print", "Print the report on the default printer (the paper prompts are answered OK); "
                  "with --format label, print mailing labels on the line printer LPT1."},
        {"printer", "Printing: the printer to print on (default: the default printer).", "name"},
        {"copies", "Printing: the number of copies (default 1).", "n"},
        {"salesperson",
         "Printing by salesperson: the one salesperson to print, or ALL "
         "(default ALL).",
         "name"},
        {"continuous", "Printing: run continuous paper."},
        {"compressed", "Printing the fi-log: compressed print."},
        {"export",
         "Write the report to FILE instead: .pdf the printed pages (and the chart), "
         ".xlsx a spreadsheet, .csv the same columns as CSV.",
         "FILE"},
        {"paper", "The PDF's paper: letter or a4 (default letter).", "paper"},
    });
    int status = Success;
    if (!parse(p, QStringLiteral("report"), arguments, status))
        return status;
    const QStringList kindArgs = p.positionalArguments();
    const ReportDescriptor *kind = kindArgs.size() == 1 ? reportNamed(kindArgs[0]) : nullptr;
    if (kind == nullptr)
        return usageError(QStringLiteral("report: name one report: ") + reportNames());
    if (!readToday(p, QStringLiteral("report")))
        return UsageError;
    ReportConditions c;
    c.report = kind->selector;
    c.EDT = Clock::todayText();
    if (const QString problem = readReportConditions(p, c); !problem.isEmpty())
        return usageError(QStringLiteral("report: ") + problem);
    if (const QString problem = readPrintOptions(p, c); !problem.isEmpty())
        return usageError(QStringLiteral("report: ") + problem);
    ExportFormat format = ExportFormat::Pdf;
    c.dealRows = p.isSet("export") && exportFormatOf(p.value("export"), format) &&
                 format != ExportFormat::Pdf;
    c.sheetRows = p.isSet("json") || p.isSet("export");

    AppSettings &settings = appSettings();
    settings.DatabasePath = Defaults::DatabasePath;
    if (!dealDatabaseThere(QStringLiteral("report")))
        return Failure;
    settings.TodayText = Clock::todayText();
    const ReportOutput out = buildReport(c, dealDatabase(), Prompter::current());
    if (p.isSet("print") || p.isSet("print-to-file"))
        return printBuilt(p, c, out);
    if (p.isSet("export"))
        return exportBuilt(p, c, out);
    const bool written = p.isSet("json") ? writeJson(out) : writeText(out);
    if (!written) {
        print(stderr, QStringLiteral("volmera: report: the report could not be written to the "
                                     "standard output.\n"));
        return Failure;
    }
    if (const QString notice = emptyReportNotice(c, out); !notice.isEmpty())
        print(stderr, QStringLiteral("volmera: report: ") + notice + QLatin1Char('\n'));
    if (out.cancelled) {
        print(stderr, QStringLiteral("volmera: report: the build was cancelled; the lines above "
                                     "are those made before it stopped.\n"));
        return Failure;
    }
    return Success;
}
