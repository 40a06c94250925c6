#pragma once

#include "store/Database.h"

#include <QDate>
#include <QDateTime>
#include <optional>

// The record of who changed what. Every change of a deal writes its rows in the same
// transaction as the change: one row for each field an add, edit or delete changed, one row
// for each deal an import, purge or blanking touched, and a summary row for such a run. The
// rows are permanent: no code changes or deletes them, and the database refuses to.
//
// The values of the customer's personal fields are never kept (only that the field changed),
// so that blanking a customer's personal data leaves none of it in this record.
namespace Audit {

inline const QString Table = QStringLiteral("ZELAudit");

namespace Action {
inline const QString Add = QStringLiteral("Add");
inline const QString Edit = QStringLiteral("Edit");
inline const QString Delete = QStringLiteral("Delete");
inline const QString Import = QStringLiteral("Import");
inline const QString Purge = QStringLiteral("Purge");
inline const QString Blank = QStringLiteral("Blank");
inline const QString Restore = QStringLiteral("Restore");
inline const QString Password = QStringLiteral("Password");
} // namespace Action

struct Entry {
    QDateTime at;
    QString host; // the workstation
    QString user; // who was logged on to it
    QString action;
    QString stock; // the deal's stock number; empty for a whole run
    QString field; // the field changed; empty for a whole deal
    // Nothing for a value that is not kept (a personal field's).
    std::optional<QString> oldValue, newValue;
    bool operator==(const Entry &) const = default;
};

// Makes the table, which refuses changes and deletions, when the database lacks it.
void ensureTable(Database &db);

// This workstation's host name and the operating-system user running the program.
QString hostName();
QString userName();

// Writes rows stamped with the moment (Clock::now), the workstation and the user, inside the
// transaction of the change they record.
class Writer {
public:
    explicit Writer(Database &db);
    void write(const QString &action, const QString &stock, const QString &field = {},
               const std::optional<QString> &oldValue = QString(),
               const std::optional<QString> &newValue = QString());
    // A row for each of the deals, alike but for the stock number: copied in at once on a
    // server.
    void writeEach(const QString &action, const QStringList &stocks, const QString &newValue);

private:
    Database &db;
    Statement insert;
};

// The rows of one deal (by stock number, letter case and trailing blanks aside; every row when
// empty), from a day on (every day when invalid), oldest first.
QList<Entry> history(Database &db, const QString &stock = {}, const QDate &since = {});

} // namespace Audit
