// The volmera program: without a command it opens the windows; with one it does that job on
// the command line, where nothing waits for an answer.
#include "base/AppSettings.h"
#include "base/CliPrompter.h"
#include "cli/BackupCommand.h"
#include "cli/ChartCommand.h"
#include "cli/CommandLine.h"
#include "cli/HistoryCommand.h"
#include "cli/ImportCommand.h"
#include "cli/InitCommand.h"
#include "cli/LabelsCommand.h"
#include "cli/LetterCommand.h"
#include "cli/PurgeCommand.h"
#include "cli/ReportCommand.h"
#include "cli/SheetCommand.h"
#include "domain/startup/ZELMain.h"
#include "forms/GuiPrompter.h"
#include "forms/GuiStartup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
using namespace CommandLine;

// A job run from the command line; it gets the arguments that follow its name.
struct Command {
    QString name;
    QString summary;
    int (*run)(const QStringList &arguments);
    bool (*draws)(const QStringList &arguments) = nullptr; // needs fonts and a painter
};

// Whether the arguments ask for a file that is drawn: a PDF or a chart.
bool exportsFile(const QStringList &arguments) {
    return std::any_of(arguments.begin(), arguments.end(), [](const QString &a) {
        return a == QLatin1String("--export") || a.startsWith(QLatin1String("--export="));
    });
}
bool alwaysDraws(const QStringList &) {
    return true;
}

// Every command the command line knows; the help lists them in this order.
const std::vector<Command> &commands() {
    static const std::vector<Command> all = {
        {QStringLiteral("init"),
         QStringLiteral("prepare a data folder, optionally with sample deals (see 'volmera init "
                        "--help')"),
         runInitCommand},
        {QStringLiteral("report"),
         QStringLiteral("build a report without a window (see 'volmera report --help')"),
         runReportCommand, exportsFile},
        {QStringLiteral("import"),
         QStringLiteral("import the dealer system's export (see 'volmera import --help')"),
         runImportCommand},
        {QStringLiteral("purge"),
         QStringLiteral("purge old deals and rebuild the database (see 'volmera purge --help')"),
         runPurgeCommand},
        {QStringLiteral("history"),
         QStringLiteral("list who changed which deal and when (see 'volmera history --help')"),
         runHistoryCommand},
        {QStringLiteral("backup"),
         QStringLiteral("make and check a copy of the deal database now (see 'volmera backup "
                        "--help')"),
         runBackupCommand},
        {QStringLiteral("restore"),
         QStringLiteral("put a checked backup back (see 'volmera restore --help')"),
         runRestoreCommand},
        {QStringLiteral("labels"),
         QStringLiteral("print the three test labels (see 'volmera labels --help')"),
         runLabelsCommand},
        {QStringLiteral("sheet"),
         QStringLiteral("write or print a deal sheet (see 'volmera sheet --help')"),
         runSheetCommand, exportsFile},
        {QStringLiteral("letter"),
         QStringLiteral("write or print a form letter (see 'volmera letter --help')"),
         runLetterCommand, exportsFile},
        {QStringLiteral("chart"),
         QStringLiteral("draw a report's chart as a picture (see 'volmera chart --help')"),
         runChartCommand, alwaysDraws},
    };
    return all;
}

QString helpText(const QCommandLineParser &parser) {
    QString text = parser.helpText();
    // Parsing happens before any application object exists, so Qt cannot name the program.
    text.replace(QStringLiteral("<executable_name>"), QStringLiteral("volmera"));
    text += QStringLiteral("\nCommands:\n");
    for (const Command &command : commands())
        text += QStringLiteral("  %1  %2\n").arg(command.name.leftJustified(10), command.summary);
    return text;
}

int runCommand(const Command &command, int &argc, char **argv, const QStringList &arguments) {
    std::unique_ptr<QCoreApplication> app;
    QTemporaryDir runtime;
    if (command.draws != nullptr && command.draws(arguments)) {
        // Drawing needs the GUI library's fonts, not a display: a command never opens a
        // window, so it draws off screen unless told otherwise.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Without a session the GUI library wants a private folder of its own for the run.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    CliPrompter prompter(false);
    Prompter::install(&prompter);
    const int status = command.run(arguments);
    Prompter::install(nullptr);
    return status;
}

int runWindows(int &argc, char **argv) {
    QApplication app(argc, argv);
    GuiPrompter prompter;
    Prompter::install(&prompter);
    int status = Success;
    {
        GuiStartup startup;
        // Start-up declines (a wrong password) without a window: that is a normal end.
        if (Main(startup))
            status = QApplication::exec();
    }
    Prompter::install(nullptr);
    return status;
}
} // namespace

int main(int argc, char **argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("VOLMERA, the deal tracker of the finance and insurance office."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help and end."));
    const QCommandLineOption versionOption(QStringLiteral("version"),
                                           QStringLiteral("Show the program's version and end."));
    const QCommandLineOption dataDirOption = CommandLine::dataDirOption();
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addOption(dataDirOption);
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("What to do (see Commands); without one the windows open."),
        QStringLiteral("[command]"));

    // Everything after the command belongs to the command.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        print(stdout, helpText(parser));
        return Success;
    }
    if (parser.isSet(versionOption)) {
        print(stdout, QStringLiteral("volmera %1\n").arg(Defaults::VersionText));
        return Success;
    }

    QStringList positional = parser.positionalArguments();
    const Command *command = nullptr;
    if (!positional.isEmpty()) {
        const QString name = positional.takeFirst();
        for (const Command &known : commands())
            if (known.name == name)
                command = &known;
        if (command == nullptr)
            return usageError(QStringLiteral("unknown command '%1'").arg(name));
    }

    if (parser.isSet(dataDirOption)) {
        QString problem;
        if (!enterDataFolder(parser.value(dataDirOption), problem))
            return usageError(problem);
    }

    if (command != nullptr)
        return runCommand(*command, argc, argv, positional);
    return runWindows(argc, argv);
}
