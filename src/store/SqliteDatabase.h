#pragma once

#include "store/Database.h"

#include <utility>
#include <vector>

struct sqlite3;

// The deal database as one SQLite file, which several workstations may share.
class SqliteDatabase : public Database {
public:
    // A new, empty database file; fails when the file exists already.
    static std::unique_ptr<SqliteDatabase> create(const QString &path);
    // An existing database file, shared, for reading and writing.
    static std::unique_ptr<SqliteDatabase> open(const QString &path);

    ~SqliteDatabase() override;

    Engine engine() const override { return Engine::SQLite; }
    QString location() const override { return filePath; }
    const QString &path() const { return filePath; }
    sqlite3 *handle() const { return db; }

    void createTable(const QString &table, const QList<FieldDef> &fields,
                     const QList<IndexDef> &indexes) override;
    void addField(const QString &table, const FieldDef &field) override;
    void dropTable(const QString &table) override;
    bool hasTable(const QString &table) override;
    bool hasAnyTable() override;
    QList<FieldDef> fields(const QString &table) override;
    QList<IndexDef> indexes(const QString &table) override;
    // Text columns are made case-blind by their collation.
    QString textKey(const QString &expression) const override { return expression; }
    QString orderTerm(const QString &expression, bool descending) const override {
        return descending ? expression + QStringLiteral(" DESC") : expression;
    }

    void exec(const QString &sql) override;
    QStringList integrityProblems(int most = 10) override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;

    // Compacts the database into a new file (which must not exist) without the space of deleted
    // rows.
    void compactInto(const QString &newPath);
    // Builds every index again from its table.
    void rebuildIndexes();
    // Keeps the indexes of a large table in memory while many rows are written.
    void expectManyWrites() override;
    bool ordersLargeReadsItself() const override { return true; }
    ChangeMark changeMark(const QString &table) override;
    // Triggers that raise on every UPDATE and DELETE of the table.
    void makeAppendOnly(const QString &table) override;
    // The engine's online backup, a stretch of pages at a time, so that other workstations'
    // writes get in between; the last stretch is copied under one read lock with the count.
    qint64 backupInto(const QString &newPath, const QString &table,
                      const std::atomic<bool> *stop = nullptr) override;
    // Freed space in the file is overwritten with zeros, so that what was changed or deleted
    // cannot be read back from it.
    void eraseFreedSpace();

    // Turns the connection's last failure into a StoreError.
    [[noreturn]] void fail(int code, const QString &context = {}) const;

private:
    SqliteDatabase(sqlite3 *db, QString path) : db(db), filePath(std::move(path)) {}
    static std::unique_ptr<SqliteDatabase> connect(const QString &path, int flags);
    std::unique_ptr<PreparedStatement> prepare(const QString &sql) override;

    sqlite3 *db;
    QString filePath;
    // Rows this connection wrote, by table, as the engine reports each one; and transactions
    // rolled back, which take rows away again.
    std::vector<std::pair<QByteArray, qint64>> rowsWritten;
    qint64 allRowsWritten = 0;
    qint64 rollbacks = 0;
};
