#pragma once

#include <QCommandLineParser>
#include <QString>
#include <cstdio>

// What every command of the command line shares: its exit statuses, printing, the data folder
// option and the reading of its own arguments.
namespace CommandLine {
enum Status { Success = 0, Failure = 1, UsageError = 2 };

void print(std::FILE *stream, const QString &text);
// Prints "volmera: message" and the hint to --help on standard error; gives UsageError.
int usageError(const QString &message);
// The data folder becomes the working folder, where the database and settings live.
bool enterDataFolder(const QString &folder, QString &problem);
// The folder the program was started in, before any data folder was entered: the folder that
// the files named on the command line are relative to.
QString callerFolder();
QCommandLineOption dataDirOption();
// True when the data folder holds the deal database; else says plainly that it does not.
bool dealDatabaseThere(const QString &command);

// Reads a command's arguments (those after its name) with the parser's options and
// --data-dir, and enters the data folder. False, with status set, when the arguments cannot be
// used (the reason is printed). With makeDataDir a missing data folder is made first.
bool parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
           int &status, bool makeDataDir = false);
} // namespace CommandLine
