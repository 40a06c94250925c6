#pragma once

#include "domain/reports/Builders.h"

#include <QList>
#include <QString>

// The reports the report screen and the command line build.
struct ReportKind {
    int selector;      // the report screen's report number
    QString name;      // the command line's name
    QList<int> fields; // the deal fields its builder reads
    ReportOutput (*build)(const ReportConditions &, DealSource &, BuildPolicy &);
};

const QList<ReportKind> &reportKinds();
const ReportKind *reportKind(int selector);
const ReportKind *reportKindNamed(const QString &name);

// Opens the deals of the report's selection in the database file (a local path) and builds
// the report. Opening is a step of the build, under the same failure policy.
ReportOutput buildReport(const ReportConditions &c, const QString &databasePath,
                         Prompter &prompter);
