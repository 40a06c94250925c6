#include "cli/CommandLine.h"

#include "base/AppSettings.h"

#include <QDir>
#include <QFileInfo>

namespace CommandLine {

void print(std::FILE *stream, const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

int usageError(const QString &message) {
    print(stderr, QStringLiteral("volmera: %1\nRun 'volmera --help' for usage.\n").arg(message));
    return UsageError;
}

namespace {
QString &startFolder() {
    static QString folder;
    return folder;
}
} // namespace

QString callerFolder() {
    return startFolder().isEmpty() ? QDir::currentPath() : startFolder();
}

bool enterDataFolder(const QString &folder, QString &problem) {
    if (startFolder().isEmpty())
        startFolder() = QDir::currentPath();
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.exists())
        problem = QStringLiteral("the data folder '%1' does not exist").arg(folder);
    else if (!info.isDir())
        problem = QStringLiteral("'%1' is not a folder").arg(folder);
    else if (!info.isReadable() || !QDir::setCurrent(folder))
        problem = QStringLiteral("cannot use the data folder '%1'").arg(folder);
    return problem.isEmpty();
}

bool dealDatabaseThere(const QString &command) {
    if (QFileInfo(Defaults::DatabaseFile).isFile())
        return true;
    print(stderr, QStringLiteral("volmera: %1: the folder %2 has no deal database (%3)\n")
                      .arg(command, QDir::currentPath(), Defaults::DatabaseFile));
    return false;
}

QCommandLineOption dataDirOption() {
    return QCommandLineOption(
        QStringLiteral("data-dir"),
        QStringLiteral("Work in <dir>: the folder of the deal database and the settings file "
                       "(default: the current folder)."),
        QStringLiteral("dir"));
}

bool parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
           int &status, bool makeDataDir) {
    const QCommandLineOption dataDir = dataDirOption();
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    parser.addOption(dataDir);
    parser.addOption(help);
    if (!parser.parse(QStringList{QStringLiteral("volmera ") + command} + arguments)) {
        status = usageError(command + QStringLiteral(": ") + parser.errorText());
        return false;
    }
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        // The first line names the program as it was started; name the command instead.
        text = QStringLiteral("Usage: volmera ") + command +
               text.mid(text.indexOf(QLatin1String(" [options]")));
        if (!text.endsWith(QLatin1Char('\n')))
            text += QLatin1Char('\n');
        print(stdout, text);
        status = Success;
        return false;
    }
    if (parser.isSet(dataDir)) {
        const QString folder = parser.value(dataDir);
        QString problem;
        if (makeDataDir && !folder.isEmpty() && !QFileInfo::exists(folder) &&
            !QDir().mkpath(folder))
            problem = QStringLiteral("cannot make the data folder '%1'").arg(folder);
        if (!problem.isEmpty() || !enterDataFolder(folder, problem)) {
            status = usageError(problem);
            return false;
        }
    }
    return true;
}

} // namespace CommandLine
