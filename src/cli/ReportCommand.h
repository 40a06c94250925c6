#pragma once

#include "domain/reports/ReportConditions.h"

#include <QCommandLineParser>
#include <QStringList>

// "volmera report KIND [conditions]": builds a report without a window and writes its lines and
// totals to standard output (or as JSON), or prints it (--print, --print-to-file).
int runReportCommand(const QStringList &arguments);

// The condition options every report command takes, --today among them.
void addReportConditionOptions(QCommandLineParser &p);

// Sets the date of the day from --today; false, with the usage error printed, when it is no
// date.
bool readToday(const QCommandLineParser &p, const QString &command);

// Reads the condition options (--from, --to, --vehicle, --by, --fi-mgr, --model, --include-year,
// --format, --letter; p must define them all) the way the report screen would let the user set
// them for report c.report. Returns an empty text when they are fine, else why not.
QString readReportConditions(const QCommandLineParser &p, ReportConditions &c);
