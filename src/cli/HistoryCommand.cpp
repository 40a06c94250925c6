#include "cli/HistoryCommand.h"

#include "base/AppSettings.h"
#include "base/PathMapping.h"
#include "cli/CommandLine.h"
#include "domain/entry/History.h"
#include "domain/startup/ZELMain.h"
#include "store/Purge.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace CommandLine;

namespace {
QJsonValue jsonValue(const std::optional<QString> &value) {
    return value ? QJsonValue(*value) : QJsonValue();
}
} // namespace

int runHistoryCommand(const QStringList &arguments) {
    QCommandLineParser p;
    p.addOptions({
        {"since", "Only the changes made on this day or later.", "MM/DD/YYYY"},
        {"json", "Write the changes as JSON (a value not kept is null)."},
    });
    p.addPositionalArgument("stock", "Only the changes of the deal with this stock number.",
                            "[STOCK]");
    int status = Success;
    if (!parse(p, QStringLiteral("history"), arguments, status))
        return status;
    if (p.positionalArguments().size() > 1)
        return usageError(
            QStringLiteral("history: unexpected argument %1").arg(p.positionalArguments()[1]));
    QDate since;
    if (p.isSet("since")) {
        const std::optional<QDate> day = DealPurge::readCutoff(p.value("since"));
        if (!day)
            return usageError(
                QStringLiteral("history: \"%1\" is not a date (MM/DD/YYYY)").arg(p.value("since")));
        since = *day;
    }
    if (!dealDatabaseThere(QStringLiteral("history")))
        return Failure;
    const QString stock = p.positionalArguments().value(0);
    QList<Audit::Entry> entries;
    try {
        entries = DealHistory::read(dealDatabase(), stock, since);
    } catch (const VolmeraError &e) {
        print(stderr, QStringLiteral("volmera: history: %1\n").arg(e.description()));
        return Failure;
    }
    if (p.isSet("json")) {
        QJsonArray rows;
        for (const Audit::Entry &e : entries)
            rows.append(QJsonObject{{"at", e.at.toString(Qt::ISODate)},
                                    {"host", e.host},
                                    {"user", e.user},
                                    {"action", e.action},
                                    {"stock", e.stock},
                                    {"field", e.field},
                                    {"old", jsonValue(e.oldValue)},
                                    {"new", jsonValue(e.newValue)}});
        print(stdout, QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact)) + "\n");
        return Success;
    }
    QString text;
    for (const Audit::Entry &e : entries)
        text += DealHistory::line(e) + u'\n';
    if (entries.isEmpty())
        text = stock.isEmpty() ? QStringLiteral("no changes recorded\n")
                               : QStringLiteral("no changes recorded for stock %1\n").arg(stock);
    print(stdout, text);
    return Success;
}
