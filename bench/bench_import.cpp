// Times the import of a form 1 export of generated deals and the purge of half of them against
// the sqlite3 shell doing the same work on the same rows, in the same run, and prints the
// ratios. With --server CONNECTION (a libpq connection string whose user may make databases) it
// times instead the import into the server database volmera_bench_import against psql's \copy of
// the same rows into the same table with its indexes.
//   volmera_bench_import [--count N] [--runs R] [--dir FOLDER] [--server CONNECTION]
#include "BenchSupport.h"
#include "domain/sample/DealGenerator.h"

#include "base/Cp1252.h"
#include "domain/import/Import.h"
#include "store/DealSchema.h"
#include "store/Purge.h"
#include "store/UseLock.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
// Where each export field stands in a record, by the field's name in the deal table.
struct Slot {
    const char *field;
    int offset, width;
};
const Slot slots[] = {
    {"ByLName", 8, 15},     {"CByLName", 23, 15},   {"ByFirstMI", 38, 15},  {"CByFirstMI", 53, 15},
    {"ByAdr", 68, 30},      {"ByCity", 98, 15},     {"ByStateZip", 113, 8}, {"ByDOB", 121, 10},
    {"CByDOB", 131, 10},    {"ByPhone", 141, 25},   {"Salesman", 166, 30},  {"FIMgr", 196, 3},
    {"Term", 199, 3},       {"APR", 202, 8},        {"LAHElig", 210, 1},    {"SrvElig", 211, 1},
    {"FinanceSrc", 212, 3}, {"AmountFin", 215, 10}, {"MoPmt", 225, 10},     {"StkNbr", 235, 8},
    {"NewUsed", 243, 1},    {"Make", 246, 10},      {"Model", 256, 8},      {"VinNbr", 264, 18},
    {"UnitPrft", 282, 10},  {"SmComm1", 292, 10},   {"SmComm2", 302, 10},   {"ASMComm", 312, 10},
    {"FIComm", 322, 10},    {"FinRes", 332, 10},    {"SrvRes", 342, 10},    {"LifeRes", 352, 10},
    {"AHRes", 362, 10},     {"PrftAmt1", 372, 10},  {"Pack", 382, 10},
};

void put(QByteArray &record, int offset, int width, const QString &text) {
    const QByteArray bytes = Cp1252::encode(text).left(width);
    std::copy(bytes.begin(), bytes.end(), record.begin() + offset);
}

void writeExport(const QString &path, int count) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    auto blank = [] {
        QByteArray r(DealImport::RecordLength, ' ');
        r[392] = '\r';
        r[393] = '\n';
        return r;
    };
    QByteArray header = blank();
    put(header, 0, 20, QStringLiteral("GENERATED EXPORT"));
    out.write(header);
    DealGenerator gen({11, 40, QStringLiteral("G")});
    for (int i = 0; i < count; ++i) {
        QByteArray record = blank();
        for (const auto &[name, value] : gen.next()) {
            if (name == QLatin1String("DateSold")) {
                put(record, 0, 8, value.toDate().toString(QStringLiteral("yyyyMMdd")));
            } else if (name == QLatin1String("Year")) {
                put(record, 244, 2, value.toString().right(2));
            } else {
                for (const Slot &s : slots)
                    if (name == QLatin1String(s.field))
                        put(record, s.offset, s.width, value.toString());
            }
        }
        out.write(record);
    }
}

double ms(const std::function<void()> &work) {
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

QString shell(const QString &database, const QString &commands, double *elapsed = nullptr) {
    QProcess p;
    QElapsedTimer clock;
    clock.start();
    p.start(QStringLiteral("sqlite3"), {database});
    p.write(commands.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(-1);
    if (elapsed)
        *elapsed = clock.nsecsElapsed() / 1e6;
    const QByteArray err = p.readAllStandardError();
    if (!err.isEmpty())
        std::fprintf(stderr, "sqlite3: %s\n", err.left(400).constData());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// A table for the shell with the deal table's columns, collation and indexes.
QString plainTable() {
    QStringList columns;
    for (const FieldDef &f : DealSchema::fields())
        columns << f.name + (f.type == FieldDef::Text ? QStringLiteral(" TEXT COLLATE NOCASE")
                                                      : QStringLiteral(" DATE"));
    return QStringLiteral("CREATE TABLE ZEL (%1, PRIMARY KEY (LNKey));\n"
                          "CREATE UNIQUE INDEX StkNbr ON ZEL (StkNbr);\n"
                          "CREATE INDEX DateSold ON ZEL (DateSold);\n")
        .arg(columns.join(QStringLiteral(", ")));
}

void copy(const QString &from, const QString &to) {
    QFile::remove(to);
    if (!QFile::copy(from, to))
        qFatal("cannot copy %s", qPrintable(from));
}

void report(const char *what, double ours, double theirs, const char *them = "shell") {
    std::printf("%-44s %9.1f ms   %s %9.1f ms   ratio %.2f\n", what, ours, them, theirs,
                ours / theirs);
}

QString psql(const QString &connection, const QString &command, double *elapsed = nullptr) {
    QProcess p;
    QElapsedTimer clock;
    clock.start();
    p.start(QStringLiteral("psql"),
            {QStringLiteral("-XAtq"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
             connection, QStringLiteral("-c"), command});
    p.waitForFinished(-1);
    if (elapsed)
        *elapsed = clock.nsecsElapsed() / 1e6;
    if (p.exitCode() != 0)
        qFatal("psql: %s", p.readAllStandardError().left(400).constData());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The deal table's columns, as psql's \copy lists them.
QString dealColumns() {
    QStringList names;
    for (const FieldDef &f : DealSchema::fields())
        names << quotedName(f.name);
    return names.join(u',');
}

// The import into an empty deal table on the server, and psql's \copy of the rows it stored into
// another empty one, one after the other in each run.
void serverImport(const QString &server, const DealImport::ExportFile &file, const QDir &dir,
                  int count, int runs) {
    const QString bench = QStringLiteral("volmera_bench_import");
    if (psql(server, QStringLiteral("SELECT 1 FROM pg_database WHERE datname = '%1'").arg(bench))
            .isEmpty())
        psql(server, QStringLiteral("CREATE DATABASE %1").arg(bench));
    const QString connection = server + QStringLiteral(" dbname=") + bench;
    const DatabaseAddress address = DatabaseAddress::server(connection);
    const auto empty = [&] {
        psql(connection, QStringLiteral("DROP SCHEMA public CASCADE; CREATE SCHEMA public"));
        createDealDatabase(address);
    };
    const QString csv = dir.filePath(QStringLiteral("server.csv"));
    std::vector<double> ours, theirs;
    for (int run = 0; run < runs; ++run) {
        empty();
        DealImport::Outcome out;
        ours.push_back(ms([&] { out = DealImport::importDeals(address, file); }));
        if (out.imported != count || !out.clean())
            qFatal("the server import did not do what was timed (%d imported): %s", out.imported,
                   qPrintable(out.failure));
        if (run == 0)
            psql(connection,
                 QStringLiteral("\\copy \"ZEL\" (%1) TO '%2' CSV").arg(dealColumns(), csv));
        empty();
        double elapsed = 0;
        psql(connection,
             QStringLiteral("\\copy \"ZEL\" (%1) FROM '%2' CSV").arg(dealColumns(), csv), &elapsed);
        if (psql(connection, QStringLiteral("SELECT count(*) FROM \"ZEL\"")).toInt() != count)
            qFatal("psql did not copy every row");
        theirs.push_back(elapsed);
    }
    std::printf("machine: %d logical processors; %d deals; median of %d runs\n",
                QThread::idealThreadCount(), count, runs);
    report("import into an empty database on the server", median(ours), median(theirs), "psql");
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{"count", "Deals in the export.", "N", "100000"},
                       {"runs", "Runs of each measurement (the median is shown).", "R", "3"},
                       {"dir", "Work folder (default: a temporary one).", "FOLDER"},
                       {"server", "Also on this server (libpq connection string).", "CONNECTION"}});
    parser.process(app);
    const int count = parser.value("count").toInt();
    const int runs = qMax(1, parser.value("runs").toInt());
    QTemporaryDir scratch;
    const QDir dir(parser.isSet("dir") ? parser.value("dir") : scratch.path());
    const QString exportPath = dir.filePath("ZEL_DB.DBF"), csv = dir.filePath("deals.csv"),
                  full = dir.filePath("full.mdb");

    std::printf("writing %d generated deals as a form 1 export ...\n", count);
    std::fflush(stdout);
    writeExport(exportPath, count);
    const DealImport::ExportFile file{DealImport::Form::Fixed, exportPath};
    if (parser.isSet("server")) {
        serverImport(parser.value("server"), file, dir, count, runs);
        return 0;
    }

    // The rows the shell imports are the deals as the import stores them.
    createDealDatabase(full);
    if (!DealImport::importDeals(full, file).clean())
        qFatal("the export was not imported whole");
    shell(full, QStringLiteral(".mode csv\n.output %1\nSELECT * FROM ZEL;\n").arg(csv));

    // Each run times the import, the import again, and the shell, one after the other, so that
    // the machine's load weighs on all three alike.
    std::vector<double> into, again, shellImport, purgeOurs, purgeShell;
    for (int run = 0; run < runs; ++run) {
        const QString db = dir.filePath(QStringLiteral("import%1.mdb").arg(run));
        QFile::remove(db);
        createDealDatabase(db);
        DealImport::Outcome first, second;
        into.push_back(ms([&] { first = DealImport::importDeals(db, file); }));
        again.push_back(ms([&] { second = DealImport::importDeals(db, file); }));
        if (first.imported != count || second.alreadyPresent != count || !first.clean())
            qFatal("the import did not do what was timed (%d imported, %d present, %lld refused)",
                   first.imported, second.alreadyPresent, qlonglong(first.refused.size()));
        QFile::remove(db);
        QFile::remove(DatabaseUse::lockPath(db));

        const QString theirs = dir.filePath(QStringLiteral("shell%1.mdb").arg(run));
        QFile::remove(theirs);
        shell(theirs, plainTable());
        double elapsed = 0;
        shell(theirs, QStringLiteral(".import --csv %1 ZEL\n").arg(csv), &elapsed);
        if (shell(theirs, QStringLiteral("SELECT count(*) FROM ZEL;\n")).toInt() != count)
            qFatal("the shell did not import every row");
        shellImport.push_back(elapsed);
        QFile::remove(theirs);
    }

    // The cutoff that leaves half of the deals.
    const QString middle = shell(full, QStringLiteral("SELECT DateSold FROM ZEL ORDER BY DateSold "
                                                      "LIMIT 1 OFFSET %1;\n")
                                           .arg(count / 2));
    const QDate cutoff = QDate::fromString(middle, Qt::ISODate);
    int deleted = 0;
    for (int run = 0; run < runs; ++run) {
        QDir work(dir.filePath(QStringLiteral("purge%1").arg(run)));
        work.removeRecursively();
        QDir().mkpath(work.path());
        const DealPurge::Files files{work.filePath("ZELDB.mdb"), work.filePath("Backup"),
                                     work.filePath("Backup/ZELDB.mdb"),
                                     work.filePath("ZEL_OLD.mdb")};
        copy(full, files.database);
        DealPurge::Outcome out;
        purgeOurs.push_back(ms([&] { out = DealPurge::purge(files, cutoff, {}); }));
        if (!out.completed)
            qFatal("the purge failed: %s", qPrintable(out.failure));
        deleted = out.deleted;
        const QString theirs = work.filePath("shell.mdb");
        copy(full, theirs);
        double elapsed = 0;
        shell(
            theirs,
            QStringLiteral("DELETE FROM ZEL WHERE DateSold IS NULL OR DateSold < '%1';\nVACUUM;\n")
                .arg(cutoff.toString(Qt::ISODate)),
            &elapsed);
        if (shell(theirs, QStringLiteral("SELECT count(*) FROM ZEL;\n")).toInt() != out.kept)
            qFatal("the shell kept another number of deals");
        purgeShell.push_back(elapsed);
        work.removeRecursively();
    }

    std::printf("machine: %d logical processors; %d deals; median of %d runs\n",
                QThread::idealThreadCount(), count, runs);
    report("import into an empty database", median(into), median(shellImport));
    report("import again (every deal already present)", median(again), median(shellImport));
    report(qPrintable(QStringLiteral("purge %1 deals (cutoff %2)")
                          .arg(deleted)
                          .arg(cutoff.toString(QStringLiteral("MM/dd/yyyy")))),
           median(purgeOurs), median(purgeShell));
    return 0;
}
