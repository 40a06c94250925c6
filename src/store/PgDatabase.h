#pragma once

#include "store/Database.h"
#include "store/DatabaseAddress.h"

#include <QHash>
#include <optional>
#include <utility>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

// The deal database on a PostgreSQL server, shared by every workstation and rooftop that
// connects to it. Every statement is prepared once per connection and run with its values
// bound. Texts are compared and ordered by their ASCII-folded key in the "C" collation, whatever
// the server's own collation, so the order is the file's. Each table has a hidden column rowid
// that numbers its rows in the order they were written.
class PgDatabase : public Database {
public:
    // Connects; fails with a plain description when the server cannot be reached, refuses the
    // user or has no such database.
    static std::unique_ptr<PgDatabase> connect(const DatabaseAddress &address);
    ~PgDatabase() override;

    Engine engine() const override { return Engine::PostgreSQL; }
    QString location() const override { return where.describe(); }

    void createTable(const QString &table, const QList<FieldDef> &fields,
                     const QList<IndexDef> &indexes) override;
    void upgradeIndexes(const QString &table, const QList<FieldDef> &fields,
                        const QList<IndexDef> &indexes) override;
    void addField(const QString &table, const FieldDef &field) override;
    void dropTable(const QString &table) override;
    bool hasTable(const QString &table) override;
    bool hasAnyTable() override;
    QList<FieldDef> fields(const QString &table) override;
    QList<IndexDef> indexes(const QString &table) override;
    QString textKey(const QString &expression) const override;
    QString orderTerm(const QString &expression, bool descending) const override;

    void exec(const QString &sql) override;
    // The next selection's rows are taken as the server sends them, one at a time, so that the
    // reader works on them while the server makes the rest (instead of waiting for them all);
    // through COPY, as lines of text, when the selection has no values.
    void expectLargeRead() override { largeRead = true; }
    bool ordersLargeReadsItself() const override { return true; }
    // The server keeps its own pages sound.
    QStringList integrityProblems(int) override { return {}; }
    // Triggers that raise on UPDATE, DELETE and TRUNCATE of the table.
    void makeAppendOnly(const QString &table) override;
    // The dump of a server database: a deal database file holding every deal, the record of
    // changes and the office's settings as they were at one moment (one repeatable-read
    // transaction), which this program opens like any other and `migrate` can move back.
    qint64 backupInto(const QString &newPath, const QString &table,
                      const std::atomic<bool> *stop = nullptr) override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;

    // The server's own compaction of a table: its rows written anew without the space of
    // deleted ones, its indexes rebuilt. Outside a transaction only.
    void compact(const QString &table);

    // For the statements of this connection.
    struct Prepared {
        QByteArray name;
        int parameters = 0;
    };
    // The connection, made again when it was lost outside a transaction.
    PGconn *live();
    // The statement prepared on the live connection; generation tells a remade connection.
    Prepared prepared(const QString &sql);
    int generation() const { return connections; }
    bool inTransaction() const { return transaction; }
    // Whether the statement being made is the large read that expectLargeRead announced.
    bool takeLargeRead() { return std::exchange(largeRead, false); }
    // The failure of a statement, as a StoreError.
    StoreError failure(const PGresult *result) const;

    // An INSERT of many rows in one statement, which costs one round trip instead of one for
    // each row: parameter ?i holds the values of columns[i] for every row, one after another,
    // as an array (see appendToArray). The rows go in in their order; tail ends the statement
    // ("ON CONFLICT DO NOTHING RETURNING ...").
    static QString insertManySql(const QString &table, const QList<FieldDef> &columns,
                                 const QString &tail = {});
    // Adds a value (Null when there is none) to an array parameter, which starts empty.
    static void appendToArray(QByteArray &array, std::optional<QByteArrayView> value);
    // Closes an array parameter.
    static void closeArray(QByteArray &array);

    // Writes rows into the columns of a table, in their order, through the server's COPY: the
    // rows travel as data after the statement, never inside its text, as a prepared
    // statement's values do, and the server takes them at the cost of its own bulk load. Either
    // every row is written or none, and then the failure is thrown as a statement's would be.
    // Each row is a line of fields (see appendCopyField).
    void copyInto(const QString &table, const QList<FieldDef> &columns, QByteArrayView rows);
    // Adds a field (Null when there is none) to the rows for copyInto; last ends its row.
    static void appendCopyField(QByteArray &rows, std::optional<QByteArrayView> value, bool last);

private:
    PgDatabase(PGconn *conn, DatabaseAddress address);
    std::unique_ptr<PreparedStatement> prepare(const QString &sql) override;
    void setUp();
    void createIndex(const QString &table, const IndexDef &index, bool text);

    PGconn *conn;
    DatabaseAddress where;
    QHash<QString, Prepared> statements;
    int connections = 1;
    int named = 0;
    bool transaction = false;
    bool largeRead = false;
};
