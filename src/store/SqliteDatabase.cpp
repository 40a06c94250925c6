#include "store/SqliteDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sqlite3.h>

namespace {
using Kind = StoreError::Kind;

const int busyTimeoutMs = 10000;

// Constraint names carry the field and the rule: "ByLName_nonempty", "ByLName_size15".
StoreError constraintError(const QString &message) {
    static const QRegularExpression check(QStringLiteral("CHECK constraint failed: (\\w+)"));
    static const QRegularExpression unique(
        QStringLiteral("(?:UNIQUE|PRIMARY KEY) constraint failed: \\w+\\.(\\w+)"));
    static const QRegularExpression notNull(
        QStringLiteral("NOT NULL constraint failed: \\w+\\.(\\w+)"));
    if (auto m = unique.match(message); m.hasMatch())
        return duplicateKey(m.captured(1));
    if (auto m = notNull.match(message); m.hasMatch())
        return valueRequired(m.captured(1));
    if (auto m = check.match(message); m.hasMatch())
        return ruleBroken(m.captured(1));
    return {Kind::Other, message};
}

StoreError translate(sqlite3 *db, int code, const QString &context, const QString &path) {
    const QString message = db != nullptr ? QString::fromUtf8(sqlite3_errmsg(db))
                                          : QString::fromUtf8(sqlite3_errstr(code));
    const QString where = context.isEmpty() ? QString() : context + QStringLiteral(": ");
    switch (code & 0xff) {
    case SQLITE_CONSTRAINT:
        return constraintError(message);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {Kind::Busy, where + QStringLiteral("The deal database is in use by another "
                                                   "workstation (busy or locked). Try again.")};
    case SQLITE_CANTOPEN:
        return {Kind::CannotOpen,
                where + QStringLiteral("Cannot open or create the database file %1.").arg(path)};
    case SQLITE_NOTADB:
        return {Kind::NotADatabase,
                where + QStringLiteral("The file %1 is not a deal database this program can read; "
                                       "it was left as it is.")
                            .arg(path)};
    case SQLITE_CORRUPT:
        return {Kind::Damaged,
                where + QStringLiteral("The database file %1 is damaged: %2").arg(path, message)};
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return {Kind::CannotOpen,
                where + QStringLiteral("The database file %1 cannot be written.").arg(path)};
    default:
        return {Kind::Other, where + message};
    }
}

QString typeName(const FieldDef &f) {
    switch (f.type) {
    case FieldDef::Date:
        return QStringLiteral("DATE");
    case FieldDef::YesNo:
        return QStringLiteral("BOOLEAN");
    case FieldDef::Text:
        break;
    }
    return QStringLiteral("TEXT(%1)").arg(f.size);
}

// The column with its rules, named so that a refusal can say which rule and field it was.
QString columnSql(const FieldDef &f, bool required) {
    const QString q = quotedName(f.name);
    QString sql = q + QLatin1Char(' ') + typeName(f);
    if (f.type == FieldDef::Text)
        sql += QStringLiteral(" COLLATE NOCASE");
    if (required)
        sql += QStringLiteral(" NOT NULL");
    switch (f.type) {
    case FieldDef::Text:
        sql += QStringLiteral(" CONSTRAINT %1_size%2 CHECK (length(%3) <= %2)")
                   .arg(f.name)
                   .arg(f.size)
                   .arg(q);
        if (!f.allowZeroLength)
            sql += QStringLiteral(" CONSTRAINT %1_nonempty CHECK (%2 <> '')").arg(f.name, q);
        break;
    case FieldDef::Date:
        sql += QStringLiteral(" CONSTRAINT %1_date CHECK (%2 GLOB "
                              "'[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]')")
                   .arg(f.name, q);
        break;
    case FieldDef::YesNo:
        sql += QStringLiteral(" CONSTRAINT %1_yesno CHECK (%2 IN (0, 1))").arg(f.name, q);
        break;
    }
    return sql;
}
} // namespace

// ---- Statement

namespace {
class SqliteStatement : public PreparedStatement {
public:
    SqliteStatement(sqlite3 *db, const QString &sql) : db(db) {
        const int rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK)
            throw translate(db, rc, {}, QString::fromUtf8(sqlite3_db_filename(db, "main")));
    }
    ~SqliteStatement() override { sqlite3_finalize(stmt); }

    void bind(int index, const QVariant &value) override;
    void bindUtf8(int index, const char *data, qsizetype size) override {
        const int rc =
            sqlite3_bind_text(stmt, index, size > 0 ? data : "", int(size), SQLITE_STATIC);
        if (rc != SQLITE_OK)
            throw translate(db, rc, {}, {});
    }
    void bindNull(int index) override {
        const int rc = sqlite3_bind_null(stmt, index);
        if (rc != SQLITE_OK)
            throw translate(db, rc, {}, {});
    }
    bool step() override;
    void reset() override {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
    int columnCount() const override { return sqlite3_column_count(stmt); }
    qint64 int64(int column) const override { return sqlite3_column_int64(stmt, column); }
    QVariant value(int column) const override;
    bool isNull(int column) const override {
        return sqlite3_column_type(stmt, column) == SQLITE_NULL;
    }
    QByteArrayView utf8(int column) const override {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        return QByteArrayView(bytes, sqlite3_column_bytes(stmt, column));
    }
    int changes() const override { return sqlite3_changes(db); }
    qsizetype appendText(int column, QString &into) const override;

private:
    sqlite3 *db;
    sqlite3_stmt *stmt = nullptr;
};

void SqliteStatement::bind(int index, const QVariant &value) {
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(stmt, index, value.toDouble());
            break;
        default: {
            // With its length, so that a text holding a NUL reaches the table's rules whole.
            const QByteArray text = value.typeId() == QMetaType::QDate
                                        ? value.toDate().toString(Qt::ISODate).toUtf8()
                                        : value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, index, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        throw translate(db, rc, {}, {});
}

bool SqliteStatement::step() {
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const StoreError error = translate(db, sqlite3_extended_errcode(db), {},
                                       QString::fromUtf8(sqlite3_db_filename(db, "main")));
    sqlite3_reset(stmt);
    throw error;
}

QVariant SqliteStatement::value(int column) const {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    }
}

qsizetype SqliteStatement::appendText(int column, QString &into) const {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
        return -1;
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    const qsizetype before = into.size();
    // Most texts are plain ASCII, which needs no decoding.
    bool ascii = true;
    for (int i = 0; i < size && ascii; ++i)
        ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
    if (ascii)
        into.append(QLatin1StringView(bytes, size));
    else
        into.append(QString::fromUtf8(bytes, size));
    return into.size() - before;
}
} // namespace

std::unique_ptr<PreparedStatement> SqliteDatabase::prepare(const QString &sql) {
    return std::make_unique<SqliteStatement>(db, sql);
}

// ---- Database

std::unique_ptr<SqliteDatabase> SqliteDatabase::connect(const QString &path, int flags) {
    sqlite3 *db = nullptr;
    // A connection is used by one thread only, so it needs no locking of its own.
    const int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const StoreError error = translate(db, rc, {}, path);
        sqlite3_close(db);
        throw error;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyTimeoutMs);
    std::unique_ptr<SqliteDatabase> database(new SqliteDatabase(db, path));
    sqlite3_update_hook(
        db,
        [](void *self, int, const char *, const char *table, sqlite3_int64) {
            auto *d = static_cast<SqliteDatabase *>(self);
            ++d->allRowsWritten;
            for (auto &[name, rows] : d->rowsWritten) {
                if (name == table) {
                    ++rows;
                    return;
                }
            }
            d->rowsWritten.emplace_back(QByteArray(table), 1);
        },
        database.get());
    sqlite3_rollback_hook(
        db, [](void *self) { ++static_cast<SqliteDatabase *>(self)->rollbacks; }, database.get());
    // Reading the schema tells a database from any other file before anything is written.
    Statement probe(*database, QStringLiteral("SELECT count(*) FROM sqlite_master"));
    probe.step();
    return database;
}

namespace {
// What stands at a database path that is not a plain file; empty when nothing or a file does.
QString notAFile(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    return info.isDir() ? QStringLiteral("%1 is a folder, not a database file; it was left as it "
                                         "is.")
                              .arg(path)
                        : QStringLiteral("%1 is not a plain file (a pipe or a device), so it "
                                         "cannot be a database file; it was left as it is.")
                              .arg(path);
}
} // namespace

std::unique_ptr<SqliteDatabase> SqliteDatabase::create(const QString &path) {
    if (const QString problem = notAFile(path); !problem.isEmpty())
        throw StoreError(Kind::CannotOpen, problem);
    if (QFileInfo::exists(path))
        throw StoreError(Kind::CannotOpen,
                         QStringLiteral("The database file %1 already exists.").arg(path));
    auto db = connect(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    // The file is written now, so that a folder that cannot hold it is found at once.
    db->exec(QStringLiteral("PRAGMA user_version = 1"));
    return db;
}

std::unique_ptr<SqliteDatabase> SqliteDatabase::open(const QString &path) {
    if (const QString problem = notAFile(path); !problem.isEmpty())
        throw StoreError(Kind::CannotOpen, problem);
    if (!QFileInfo(path).isFile())
        throw StoreError(Kind::CannotOpen,
                         QStringLiteral("The database file %1 is not there.").arg(path));
    return connect(path, SQLITE_OPEN_READWRITE);
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close_v2(db);
}

void SqliteDatabase::fail(int code, const QString &context) const {
    throw translate(db, code, context, filePath);
}

void SqliteDatabase::exec(const QString &sql) {
    char *message = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        fail(sqlite3_extended_errcode(db));
}

void SqliteDatabase::createTable(const QString &table, const QList<FieldDef> &fields,
                                 const QList<IndexDef> &indexes) {
    QStringList columns;
    QString primary;
    for (const IndexDef &index : indexes) {
        if (index.primary)
            primary = index.field;
    }
    for (const FieldDef &f : fields)
        columns << columnSql(f, f.name == primary);
    if (!primary.isEmpty())
        columns << QStringLiteral("PRIMARY KEY (%1)").arg(quotedName(primary));
    exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quotedName(table), columns.join(", ")));
    for (const IndexDef &index : indexes) {
        if (index.primary)
            continue;
        exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                 .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), quotedName(index.name),
                      quotedName(table), quotedName(index.field)));
    }
}

void SqliteDatabase::addField(const QString &table, const FieldDef &field) {
    exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
             .arg(quotedName(table), columnSql(field, false)));
}

void SqliteDatabase::dropTable(const QString &table) {
    exec(QStringLiteral("DROP TABLE %1").arg(quotedName(table)));
}

bool SqliteDatabase::hasTable(const QString &table) {
    Statement s(*this, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                                      "name = ?1 COLLATE NOCASE"));
    s.bind(1, table);
    return s.step();
}

bool SqliteDatabase::hasAnyTable() {
    Statement s(*this, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table'"));
    return s.step();
}

QList<FieldDef> SqliteDatabase::fields(const QString &table) {
    Statement sql(*this, QStringLiteral("SELECT sql FROM sqlite_master WHERE name = ?1"));
    sql.bind(1, table);
    const QString create = sql.step() ? sql.value(0).toString() : QString();
    Statement info(*this, QStringLiteral("PRAGMA table_info(%1)").arg(quotedName(table)));
    QList<FieldDef> result;
    static const QRegularExpression sized(QStringLiteral("^TEXT\\((\\d+)\\)$"));
    while (info.step()) {
        FieldDef f;
        f.name = info.value(1).toString();
        const QString type = info.value(2).toString().toUpper();
        if (type == QLatin1String("DATE")) {
            f.type = FieldDef::Date;
        } else if (type == QLatin1String("BOOLEAN")) {
            f.type = FieldDef::YesNo;
        } else {
            f.size = sized.match(type).captured(1).toInt();
        }
        f.allowZeroLength = f.type == FieldDef::Text &&
                            !create.contains(QStringLiteral("CONSTRAINT %1_nonempty ").arg(f.name));
        result << f;
    }
    return result;
}

QList<IndexDef> SqliteDatabase::indexes(const QString &table) {
    Statement list(*this, QStringLiteral("PRAGMA index_list(%1)").arg(quotedName(table)));
    QList<IndexDef> result;
    while (list.step()) {
        IndexDef index;
        const QString name = list.value(1).toString();
        index.unique = list.value(2).toInt() != 0;
        index.primary = list.value(3).toString() == QLatin1String("pk");
        Statement info(*this, QStringLiteral("PRAGMA index_info(%1)").arg(quotedName(name)));
        if (info.step())
            index.field = info.value(2).toString();
        // The primary key's index is made by the table itself and named after its field.
        index.name = index.primary ? index.field : name;
        result.prepend(index); // the list comes newest first
    }
    return result;
}

void SqliteDatabase::compactInto(const QString &newPath) {
    if (QFileInfo::exists(newPath))
        throw StoreError(Kind::CannotOpen,
                         QStringLiteral("The file %1 already exists.").arg(newPath));
    Statement s(*this, QStringLiteral("VACUUM INTO ?1"));
    s.bind(1, newPath);
    s.step();
}

QStringList SqliteDatabase::integrityProblems(int most) {
    QStringList problems;
    try {
        Statement check(*this, QStringLiteral("PRAGMA integrity_check(%1)").arg(qMax(1, most)));
        while (check.step()) {
            // The engine heads its first finding with the name of the database it is in.
            QString line = check.value(0).toString();
            if (line.startsWith(QLatin1String("*** in database")))
                line = line.section(u'\n', 1);
            if (line != QLatin1String("ok") && !line.isEmpty())
                problems << line;
        }
    } catch (const StoreError &e) {
        // A check that cannot go on past a damaged page has said where it is first.
        if (e.kind() == Kind::Busy)
            throw;
        if (problems.isEmpty())
            problems << e.description();
    }
    return problems;
}

void SqliteDatabase::rebuildIndexes() {
    exec(QStringLiteral("REINDEX"));
}

void SqliteDatabase::expectManyWrites() {
    exec(QStringLiteral("PRAGMA cache_size = -65536"));
}

Database::ChangeMark SqliteDatabase::changeMark(const QString &table) {
    // data_version moves with what other connections commit, schema_version with any change to
    // the tables themselves; this connection's rows are counted by table as they are written,
    // and total_changes() counts any the engine did not report one by one.
    Statement s(*this, QStringLiteral("SELECT d.data_version, v.schema_version, total_changes() "
                                      "FROM pragma_data_version AS d, pragma_schema_version AS v"));
    if (!s.step())
        return {};
    ChangeMark mark;
    mark.others = QStringLiteral("%1 %2 %3 %4")
                      .arg(s.int64(0))
                      .arg(s.int64(1))
                      .arg(s.int64(2) - allRowsWritten)
                      .arg(rollbacks);
    const QByteArray name = table.toUtf8();
    for (const auto &[written, rows] : rowsWritten) {
        if (qstricmp(written.constData(), name.constData()) == 0)
            mark.ownRows += rows;
    }
    return mark;
}

void SqliteDatabase::makeAppendOnly(const QString &table) {
    const QString message = QStringLiteral("The rows of %1 are a permanent record: they cannot be "
                                           "changed or deleted.")
                                .arg(table);
    for (const char *what : {"UPDATE", "DELETE"}) {
        const QString name = table + QStringLiteral("_no_") + QString::fromLatin1(what).toLower();
        exec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 BEFORE %2 ON %3 BEGIN SELECT "
                            "RAISE(ABORT, '%4'); END")
                 .arg(quotedName(name), QString::fromLatin1(what), quotedName(table), message));
    }
}

qint64 SqliteDatabase::backupInto(const QString &newPath, const QString &table,
                                  const std::atomic<bool> *stop) {
    if (QFileInfo::exists(newPath))
        throw StoreError(Kind::CannotOpen,
                         QStringLiteral("The file %1 already exists.").arg(newPath));
    auto copy = connect(newPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_backup *backup = sqlite3_backup_init(copy->db, "main", db, "main");
    if (backup == nullptr) {
        const StoreError error = translate(copy->db, sqlite3_errcode(copy->db), {}, newPath);
        copy.reset();
        QFile::remove(newPath);
        throw error;
    }
    const auto stopped = [stop] { return stop != nullptr && stop->load(); };
    const auto count = [this, &table] {
        Statement rows(*this, QStringLiteral("SELECT count(*) FROM %1").arg(quotedName(table)));
        rows.step();
        return rows.int64(0);
    };
    qint64 rows = -1;
    QString failure;
    // A stretch of pages at a time while the rest is large, with room between for the clerks'
    // writes; a write by another workstation starts the copy again, which the engine does by
    // itself. The last stretch is copied under one read lock together with the count, so that
    // the copy holds exactly what was counted.
    const int stretch = 512;
    int waits = 0;
    int rc = sqlite3_backup_step(backup, 0); // learns the size
    try {
        while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            if (stopped())
                break;
            if (rc != SQLITE_OK) {
                if (++waits > 200)
                    break; // ten seconds kept out
                sqlite3_sleep(50);
            } else if (sqlite3_backup_remaining(backup) <= stretch) {
                exec(QStringLiteral("BEGIN"));
                try {
                    rows = count();
                    rc = sqlite3_backup_step(backup, -1);
                } catch (...) {
                    rollback();
                    throw;
                }
                rollback();
                break;
            } else {
                sqlite3_sleep(2);
            }
            rc = sqlite3_backup_step(backup, stretch);
        }
        // The source shrank under a stretch: the count is taken now.
        if (rc == SQLITE_DONE && rows < 0)
            rows = count();
    } catch (const StoreError &e) {
        failure = e.description();
    }
    sqlite3_backup_finish(backup);
    if (failure.isEmpty() && rc != SQLITE_DONE && !stopped())
        failure = QString::fromUtf8(sqlite3_errstr(rc));
    copy.reset();
    if (failure.isEmpty() && rc == SQLITE_DONE)
        return rows;
    QFile::remove(newPath);
    if (failure.isEmpty())
        failure = QStringLiteral("it was stopped before it was done");
    throw StoreError(rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? Kind::Busy : Kind::Other,
                     QStringLiteral("The backup %1 could not be made: %2.").arg(newPath, failure));
}

void SqliteDatabase::eraseFreedSpace() {
    exec(QStringLiteral("PRAGMA secure_delete = ON"));
}

void SqliteDatabase::begin() {
    exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void SqliteDatabase::commit() {
    exec(QStringLiteral("COMMIT"));
}

void SqliteDatabase::rollback() noexcept {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}
