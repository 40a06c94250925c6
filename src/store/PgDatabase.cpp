#include "store/PgDatabase.h"

#include "store/Audit.h"
#include "store/DealSchema.h"
#include "store/OfficePassword.h"
#include "store/SqliteDatabase.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <libpq-fe.h>
#include <optional>
#include <vector>

namespace {
using Kind = StoreError::Kind;

// Type numbers of the server's own types, as results name them.
enum : Oid {
    BoolType = 16,
    Int8Type = 20,
    Int2Type = 21,
    Int4Type = 23,
    OidType = 26,
    Float4Type = 700,
    Float8Type = 701,
    NumericType = 1700,
};

QString firstLine(const char *message) {
    return QString::fromUtf8(message).trimmed().section(u'\n', 0, 0).trimmed();
}

// What went wrong with a connection that could not be made or was lost, said plainly. libpq's
// own words follow, since they name the cause a database administrator looks for.
StoreError connectionFailure(PGconn *conn, const DatabaseAddress &address, bool lost) {
    const QString message = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    const QString said = message.section(u'\n', 0, 0).trimmed();
    const QString where = address.describe();
    static const QRegularExpression missing(QStringLiteral("database \"([^\"]*)\" does not exist"));
    if (message.contains(QLatin1String("password authentication failed")) ||
        message.contains(QLatin1String("no password supplied")) ||
        message.contains(QLatin1String("authentication failed")))
        return {Kind::CannotOpen,
                QStringLiteral("The database server refused the user name or password for %1. "
                               "Check the user and password in the connection setting. (%2)")
                    .arg(where, said)};
    if (const auto m = missing.match(message); m.hasMatch())
        return {Kind::CannotOpen,
                QStringLiteral("The database %1 does not exist on the server (%2). Check the "
                               "database name in the connection setting, or have it made.")
                    .arg(m.captured(1), where)};
    if (lost)
        return {Kind::CannotOpen,
                QStringLiteral("The connection to the database server was lost (%1): nothing of "
                               "the unfinished step was stored. Try again when the server is "
                               "back. (%2)")
                    .arg(where, said)};
    return {Kind::CannotOpen,
            QStringLiteral("The database server cannot be reached (%1): it is not running, or "
                           "this workstation cannot get to it. (%2)")
                .arg(where, said)};
}

// "?1" becomes "$1" outside quotes; gives the text and the number of the highest parameter.
std::pair<QByteArray, int> serverText(const QString &sql) {
    QByteArray out;
    const QByteArray in = sql.toUtf8();
    out.reserve(in.size());
    int highest = 0;
    char quote = 0;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?' && i + 1 < in.size() && in[i + 1] >= '0' && in[i + 1] <= '9') {
            int n = 0;
            out += '$';
            while (i + 1 < in.size() && in[i + 1] >= '0' && in[i + 1] <= '9') {
                n = n * 10 + (in[i + 1] - '0');
                out += in[++i];
            }
            highest = qMax(highest, n);
            continue;
        }
        out += c;
    }
    return {out, highest};
}

QString typeName(const FieldDef &f) {
    switch (f.type) {
    case FieldDef::Date:
        return QStringLiteral("date");
    case FieldDef::YesNo:
        return QStringLiteral("boolean");
    case FieldDef::Text:
        break;
    }
    return QStringLiteral("text");
}

// The column with its rules, named as on the file so that a refusal says which rule and field.
QString columnSql(const FieldDef &f, bool required) {
    const QString q = quotedName(f.name);
    QString sql = q + QLatin1Char(' ') + typeName(f);
    if (required)
        sql += QStringLiteral(" NOT NULL");
    if (f.type == FieldDef::Text) {
        sql += QStringLiteral(" CONSTRAINT %1 CHECK (length(%2) <= %3)")
                   .arg(quotedName(QStringLiteral("%1_size%2").arg(f.name).arg(f.size)), q)
                   .arg(f.size);
        if (!f.allowZeroLength)
            sql += QStringLiteral(" CONSTRAINT %1 CHECK (%2 <> '')")
                       .arg(quotedName(f.name + QStringLiteral("_nonempty")), q);
    }
    return sql;
}

// A field of a row read through COPY: where its bytes are in the row, -1 long for Null.
struct CopyCell {
    int offset;
    int length;
};

int hexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// The character a backslash in COPY's text stands for; at is just after the backslash.
char unescape(char *&at, const char *end) {
    const char c = *at++;
    switch (c) {
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    case 'x': {
        const int high = at != end ? hexDigit(*at) : -1;
        if (high < 0)
            return c;
        const int low = ++at != end ? hexDigit(*at) : -1;
        if (low < 0)
            return char(high);
        ++at;
        return char(high * 16 + low);
    }
    default:
        if (c < '0' || c > '7')
            return c; // any other character stands for itself
        int value = c - '0';
        for (int i = 0; i < 2 && at != end && *at >= '0' && *at <= '7'; ++i)
            value = value * 8 + (*at++ - '0');
        return char(value & 0xff);
    }
}

// Splits a row in COPY's text form (fields between tabs, \N for Null, backslash escapes, a
// newline at the end) into cells, decoding each field where it lies: the decoded bytes are never
// more than their text. False when the row does not hold one field for each cell.
bool splitCopyRow(char *row, int size, std::vector<CopyCell> &cells) {
    const char *const end = row + (size > 0 && row[size - 1] == '\n' ? size - 1 : size);
    if (cells.empty()) // a selection of no columns sends empty rows
        return end == row;
    char *in = row;
    for (CopyCell &cell : cells) {
        if (end - in >= 2 && in[0] == '\\' && in[1] == 'N' && (end - in == 2 || in[2] == '\t')) {
            cell = {0, -1};
            in += 2;
        } else {
            char *const start = in;
            // Plain bytes stay where they are; after the first escape, the rest moves up.
            while (in != end && *in != '\t' && *in != '\\')
                ++in;
            char *out = in;
            while (in != end && *in != '\t') {
                const char c = *in++;
                *out++ = c == '\\' && in != end ? unescape(in, end) : c;
            }
            cell = {int(start - row), int(out - start)};
        }
        if (in == end)
            return &cell == &cells.back();
        ++in; // the tab
    }
    return false;
}

class PgStatement : public PreparedStatement {
public:
    PgStatement(PgDatabase &db, const QString &sql)
        : db(db), sql(sql),
          writes(!sql.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive)),
          streamed(!writes && db.takeLargeRead()), statement(db.prepared(sql)),
          copied(streamed && statement.parameters == 0), made(db.generation()),
          params(size_t(statement.parameters)) {}
    ~PgStatement() override {
        stopStream();
        PQclear(result);
    }

    void bind(int index, const QVariant &value) override {
        if (!value.isValid() || value.isNull()) {
            bindNull(index);
            return;
        }
        QByteArray text;
        switch (value.typeId()) {
        case QMetaType::Bool:
            text = value.toBool() ? "1" : "0";
            break;
        case QMetaType::Double:
            text = QByteArray::number(value.toDouble(), 'g', 17);
            break;
        case QMetaType::QDate:
            text = value.toDate().toString(Qt::ISODate).toUtf8();
            break;
        default:
            text = value.toString().toUtf8();
        }
        set(index, text);
    }
    void bindUtf8(int index, const char *data, qsizetype size) override {
        set(index, QByteArray(data, size));
    }
    void bindNull(int index) override { slot(index).reset(); }

    bool step() override;
    void reset() override {
        stopStream();
        PQclear(result);
        result = nullptr;
        row = -1;
        for (auto &p : params)
            p.reset();
    }
    int columnCount() const override { return result ? PQnfields(result) : 0; }
    qint64 int64(int column) const override;
    QVariant value(int column) const override;
    bool isNull(int column) const override {
        return copied ? cells[size_t(column)].length < 0 : PQgetisnull(result, row, column) != 0;
    }
    QByteArrayView utf8(int column) const override {
        if (copied) {
            const CopyCell &cell = cells[size_t(column)];
            return QByteArrayView(line + cell.offset, qMax(cell.length, 0));
        }
        return QByteArrayView(PQgetvalue(result, row, column), PQgetlength(result, row, column));
    }
    int changes() const override { return affected; }
    qsizetype appendText(int column, QString &into) const override;

private:
    std::optional<QByteArray> &slot(int index) {
        if (index < 1 || index > int(params.size()))
            throw StoreError(
                Kind::Other,
                QStringLiteral("The statement has no parameter %1: %2").arg(index).arg(sql));
        return params[size_t(index - 1)];
    }
    void set(int index, const QByteArray &text) {
        // The server's texts end at a NUL: one inside would cut the text short unseen.
        if (text.contains('\0'))
            throw StoreError(Kind::BadValue, QStringLiteral("A text holding the character NUL "
                                                            "cannot be stored: the deal was not "
                                                            "stored."));
        slot(index) = text;
    }
    bool isBool(int column) const { return PQftype(result, column) == BoolType; }
    bool nextStreamed();
    bool startCopy(PGconn *conn);
    bool nextCopied();
    // Leaves the connection free for the next statement when a streamed read is given up.
    void stopStream() noexcept;

    PgDatabase &db;
    QString sql;
    bool writes;
    // Taken before preparing, so that a failed preparation leaves no announced read behind.
    bool streamed;
    PgDatabase::Prepared statement;
    // A streamed read without values comes through COPY, as the server's own tools read a whole
    // table: the rows as lines of text, without a result made for each. result then describes
    // the columns, and the row in line holds the cells.
    bool copied;
    int made;
    std::vector<std::optional<QByteArray>> params;
    PGconn *streaming = nullptr; // while the rows of a streamed read are coming
    PGresult *result = nullptr;
    char *line = nullptr;
    std::vector<CopyCell> cells;
    int row = -1;
    int affected = 0;
};

bool PgStatement::step() {
    if (streaming != nullptr)
        return copied ? nextCopied() : nextStreamed();
    if (result != nullptr)
        return ++row < PQntuples(result);
    PGconn *conn = db.live();
    if (made != db.generation()) {
        statement = db.prepared(sql);
        made = db.generation();
    }
    if (copied)
        return startCopy(conn);
    std::vector<const char *> values(params.size(), nullptr);
    for (size_t i = 0; i < params.size(); ++i)
        values[i] = params[i] ? params[i]->constData() : nullptr;
    // A refused write must not end the transaction around it, as it does not on the file: an
    // import goes on with the next deal, and what it stored before is committed.
    if (streamed) {
        if (PQsendQueryPrepared(conn, statement.name.constData(), int(values.size()), values.data(),
                                nullptr, nullptr, 0) == 0)
            throw db.failure(nullptr);
        streaming = conn;
        PQsetSingleRowMode(conn);
        return nextStreamed();
    }
    const bool guarded = db.inTransaction() && writes;
    if (guarded)
        db.exec(QStringLiteral("SAVEPOINT volmera_step"));
    PGresult *r = PQexecPrepared(conn, statement.name.constData(), int(values.size()),
                                 values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        const StoreError error = db.failure(r);
        PQclear(r);
        if (guarded && PQstatus(conn) == CONNECTION_OK)
            db.exec(QStringLiteral("ROLLBACK TO SAVEPOINT volmera_step"));
        throw error;
    }
    if (guarded)
        db.exec(QStringLiteral("RELEASE SAVEPOINT volmera_step"));
    result = r;
    affected = QByteArray(PQcmdTuples(r)).toInt();
    row = 0;
    return PQntuples(r) > 0;
}

bool PgStatement::nextStreamed() {
    PQclear(result);
    result = PQgetResult(streaming);
    const ExecStatusType status = PQresultStatus(result);
    row = 0;
    if (status == PGRES_SINGLE_TUPLE)
        return true;
    // The end of the rows, or a failure on the way (the server lost): nothing more comes but
    // the end of the statement.
    for (PGresult *rest = PQgetResult(streaming); rest != nullptr; rest = PQgetResult(streaming))
        PQclear(rest);
    streaming = nullptr;
    if (status == PGRES_TUPLES_OK)
        return false; // the last result holds no rows: steps after it find none either
    const StoreError error = db.failure(result);
    PQclear(result);
    result = nullptr;
    throw error;
}

bool PgStatement::startCopy(PGconn *conn) {
    PGresult *columns = PQdescribePrepared(conn, statement.name.constData());
    if (PQresultStatus(columns) != PGRES_COMMAND_OK) {
        const StoreError error = db.failure(columns);
        PQclear(columns);
        throw error;
    }
    const QByteArray copy = "COPY (" + serverText(sql).first + ") TO STDOUT";
    PGresult *r = PQexecParams(conn, copy.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    if (PQresultStatus(r) != PGRES_COPY_OUT) {
        const StoreError error = db.failure(r);
        PQclear(r);
        PQclear(columns);
        throw error;
    }
    PQclear(r);
    result = columns;
    cells.resize(size_t(PQnfields(columns)));
    streaming = conn;
    return nextCopied();
}

bool PgStatement::nextCopied() {
    PQfreemem(line);
    line = nullptr;
    const int size = PQgetCopyData(streaming, &line, 0);
    if (size > 0 && splitCopyRow(line, size, cells))
        return true;
    // After a failure the statement starts again at its next step, never ends as if read whole.
    if (size > 0) {
        stopStream();
        PQclear(result);
        result = nullptr;
        throw StoreError(Kind::Other, QStringLiteral("The database server sent a row that does "
                                                     "not match its columns."));
    }
    // The end of the rows, or a failure on the way (the server lost): the statement's end says.
    PGresult *end = PQgetResult(streaming);
    for (PGresult *rest = PQgetResult(streaming); rest != nullptr; rest = PQgetResult(streaming))
        PQclear(rest);
    streaming = nullptr;
    if (PQresultStatus(end) == PGRES_COMMAND_OK) {
        PQclear(end);
        return false; // result describes the columns and holds no rows: later steps find none
    }
    const StoreError error = db.failure(end);
    PQclear(end);
    PQclear(result);
    result = nullptr;
    throw error;
}

void PgStatement::stopStream() noexcept {
    PQfreemem(line);
    line = nullptr;
    if (streaming == nullptr)
        return;
    if (PGcancel *cancel = PQgetCancel(streaming)) {
        char said[256];
        PQcancel(cancel, said, int(sizeof said));
        PQfreeCancel(cancel);
    }
    // The rows already on their way, up to the end that the cancel brings.
    for (char *rest = nullptr; copied && PQgetCopyData(streaming, &rest, 0) > 0; rest = nullptr)
        PQfreemem(rest);
    for (PGresult *rest = PQgetResult(streaming); rest != nullptr; rest = PQgetResult(streaming))
        PQclear(rest);
    streaming = nullptr;
}

qint64 PgStatement::int64(int column) const {
    const QByteArrayView text = utf8(column);
    if (isBool(column))
        return text.startsWith('t') ? 1 : 0;
    return text.toLongLong();
}

QVariant PgStatement::value(int column) const {
    if (isNull(column))
        return {};
    const QByteArrayView text = utf8(column);
    switch (PQftype(result, column)) {
    case BoolType:
        return QVariant(qlonglong(text.startsWith('t') ? 1 : 0));
    case Int2Type:
    case Int4Type:
    case Int8Type:
    case OidType:
        return QVariant(qlonglong(text.toLongLong()));
    case Float4Type:
    case Float8Type:
    case NumericType:
        return QVariant(text.toDouble());
    default:
        return QString::fromUtf8(text);
    }
}

qsizetype PgStatement::appendText(int column, QString &into) const {
    if (isNull(column))
        return -1;
    const QByteArrayView text = utf8(column);
    const char *bytes = text.data();
    const qsizetype size = text.size();
    if (isBool(column)) {
        into.append(*bytes == 't' ? u'1' : u'0');
        return 1;
    }
    const qsizetype before = into.size();
    // Most texts are plain ASCII, which needs no decoding.
    bool ascii = true;
    for (qsizetype i = 0; i < size && ascii; ++i)
        ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
    if (ascii)
        into.append(QLatin1StringView(bytes, size));
    else
        into.append(QString::fromUtf8(bytes, size));
    return into.size() - before;
}
} // namespace

// ---- PgDatabase

PgDatabase::PgDatabase(PGconn *conn, DatabaseAddress address)
    : conn(conn), where(std::move(address)) {}

std::unique_ptr<PgDatabase> PgDatabase::connect(const DatabaseAddress &address) {
    // Values before dbname are defaults the connection text may change; those after it are not.
    const QByteArray conninfo = address.connection().toUtf8();
    const char *keys[] = {"connect_timeout", "fallback_application_name", "dbname",
                          "client_encoding", nullptr};
    const char *values[] = {"10", "volmera", conninfo.constData(), "UTF8", nullptr};
    PGconn *conn = PQconnectdbParams(keys, values, 1);
    if (conn == nullptr)
        throw StoreError(Kind::CannotOpen,
                         QStringLiteral("Out of memory while connecting to the database server."));
    if (PQstatus(conn) != CONNECTION_OK) {
        const StoreError error = connectionFailure(conn, address, false);
        PQfinish(conn);
        throw error;
    }
    // The server's notices are for its administrator, not for the clerk's terminal.
    PQsetNoticeProcessor(
        conn, [](void *, const char *) {}, nullptr);
    std::unique_ptr<PgDatabase> db(new PgDatabase(conn, address));
    db->setUp();
    return db;
}

PgDatabase::~PgDatabase() {
    PQfinish(conn);
}

void PgDatabase::setUp() {
    // Dates are read and written as yyyy-mm-dd whatever the server's default.
    exec(QStringLiteral("SET datestyle TO ISO"));
}

PGconn *PgDatabase::live() {
    if (PQstatus(conn) == CONNECTION_OK)
        return conn;
    // A transaction is gone with its connection: its statements must not go on without it.
    if (transaction)
        throw connectionFailure(conn, where, true);
    PQreset(conn);
    if (PQstatus(conn) != CONNECTION_OK)
        throw connectionFailure(conn, where, true);
    statements.clear();
    ++connections;
    setUp();
    return conn;
}

PgDatabase::Prepared PgDatabase::prepared(const QString &sql) {
    PGconn *c = live();
    if (const auto it = statements.constFind(sql); it != statements.constEnd())
        return *it;
    const auto [text, parameters] = serverText(sql);
    Prepared p{QByteArray("volmera_") + QByteArray::number(++named), parameters};
    PGresult *r = PQprepare(c, p.name.constData(), text.constData(), 0, nullptr);
    if (PQresultStatus(r) != PGRES_COMMAND_OK) {
        const StoreError error = failure(r);
        PQclear(r);
        throw error;
    }
    PQclear(r);
    statements.insert(sql, p);
    return p;
}

std::unique_ptr<PreparedStatement> PgDatabase::prepare(const QString &sql) {
    return std::make_unique<PgStatement>(*this, sql);
}

StoreError PgDatabase::failure(const PGresult *result) const {
    if (PQstatus(conn) != CONNECTION_OK)
        return connectionFailure(conn, where, true);
    const QByteArray state(PQresultErrorField(result, PG_DIAG_SQLSTATE));
    const QString constraint =
        QString::fromUtf8(PQresultErrorField(result, PG_DIAG_CONSTRAINT_NAME));
    const QString column = QString::fromUtf8(PQresultErrorField(result, PG_DIAG_COLUMN_NAME));
    const QString said = result != nullptr
                             ? firstLine(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY))
                             : firstLine(PQerrorMessage(conn));
    if (state == "23505") // a unique index: named after its field
        return duplicateKey(constraint);
    if (state == "23502")
        return valueRequired(column);
    if (state == "23514")
        return ruleBroken(constraint);
    if (state.startsWith("22"))
        return {Kind::BadValue,
                QStringLiteral("A value is not valid for its field (%1): the deal was not stored.")
                    .arg(said)};
    if (state == "40001" || state == "40P01" || state == "55P03" || state == "55006")
        return {Kind::Busy, QStringLiteral("The deal database is in use by another workstation "
                                           "(busy or locked). Try again.")};
    if (state.startsWith("08") || state.startsWith("57P"))
        return {Kind::CannotOpen,
                QStringLiteral("The connection to the database server was lost (%1): nothing of "
                               "the unfinished step was stored. Try again when the server is "
                               "back. (%2)")
                    .arg(where.describe(), said)};
    if (state == "42P01")
        return {Kind::NoSuchField,
                QStringLiteral("The database has no such table (%1).").arg(said)};
    if (state == "42703")
        return {Kind::NoSuchField, QStringLiteral("The table has no such field (%1).").arg(said)};
    if (state == "42501")
        return {Kind::Other,
                QStringLiteral("The database server does not let this user do that (%1). The "
                               "user needs the rights described under the server set-up.")
                    .arg(said)};
    return {Kind::Other, said};
}

void PgDatabase::exec(const QString &sql) {
    PGconn *c = live();
    // Even without values, through the protocol that takes one statement and its values apart.
    PGresult *r = PQexecParams(c, serverText(sql).first.constData(), 0, nullptr, nullptr, nullptr,
                               nullptr, 0);
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const StoreError error = failure(r);
        PQclear(r);
        throw error;
    }
    PQclear(r);
}

void PgDatabase::begin() {
    exec(QStringLiteral("BEGIN"));
    transaction = true;
}

void PgDatabase::commit() {
    // A connection lost meanwhile took the transaction with it: live() says so, never a commit
    // on a new connection that would pass for this one.
    PGconn *c = live();
    transaction = false;
    PGresult *r = PQexec(c, "COMMIT");
    const ExecStatusType status = PQresultStatus(r);
    // The server answers a commit of a transaction that a failure ended with ROLLBACK, not an
    // error: nothing of it was stored, and that must not pass for success.
    const bool rolledBack = status == PGRES_COMMAND_OK && qstrcmp(PQcmdStatus(r), "ROLLBACK") == 0;
    if (status != PGRES_COMMAND_OK || rolledBack) {
        const StoreError error =
            rolledBack ? StoreError(Kind::Other, QStringLiteral("A step of the transaction failed, "
                                                                "so nothing of it was stored."))
                       : failure(r);
        PQclear(r);
        throw error;
    }
    PQclear(r);
}

void PgDatabase::rollback() noexcept {
    transaction = false;
    if (PQstatus(conn) == CONNECTION_OK)
        PQclear(PQexec(conn, "ROLLBACK"));
}

QString PgDatabase::textKey(const QString &expression) const {
    return QStringLiteral("lower(CAST(%1 AS text) COLLATE \"C\")").arg(expression);
}

QString PgDatabase::orderTerm(const QString &expression, bool descending) const {
    return expression +
           (descending ? QStringLiteral(" DESC NULLS LAST") : QStringLiteral(" NULLS FIRST"));
}

void PgDatabase::createTable(const QString &table, const QList<FieldDef> &fields,
                             const QList<IndexDef> &indexes) {
    QString primary;
    for (const IndexDef &index : indexes) {
        if (index.primary)
            primary = index.field;
    }
    QStringList columns{QStringLiteral("rowid bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY")};
    for (const FieldDef &f : fields)
        columns << columnSql(f, f.name == primary);
    exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quotedName(table), columns.join(", ")));
    for (const IndexDef &index : indexes) {
        const auto field = std::find_if(fields.cbegin(), fields.cend(),
                                        [&](const FieldDef &f) { return f.name == index.field; });
        createIndex(table, index, field != fields.cend() && field->type == FieldDef::Text);
        // The index that orders the whole table, as the primary key does on the file.
        if (index.primary)
            exec(QStringLiteral("COMMENT ON INDEX %1 IS 'primary'").arg(quotedName(index.name)));
    }
}

void PgDatabase::createIndex(const QString &table, const IndexDef &index, bool text) {
    const QString column = quotedName(index.field);
    // The key as the program orders by it, and the order of writing after it as every ordered
    // selection ends, so that the server walks the index instead of sorting the table. A unique
    // key has no ties to break.
    QString key = orderTerm(text ? textKey(column) : column, false);
    if (!index.unique)
        key += QStringLiteral(", rowid");
    exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
             .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), quotedName(index.name),
                  quotedName(table), key));
}

void PgDatabase::upgradeIndexes(const QString &table, const QList<FieldDef> &fields,
                                const QList<IndexDef> &indexes) {
    // An older table's ordering indexes hold the key alone.
    for (const IndexDef &index : indexes) {
        if (index.unique)
            continue;
        Statement s(*this, QStringLiteral("SELECT x.indnatts FROM pg_index x JOIN pg_class i ON "
                                          "i.oid = x.indexrelid WHERE x.indrelid = "
                                          "to_regclass(quote_ident(?1)) AND i.relname = ?2"));
        s.bind(1, table);
        s.bind(2, index.name);
        if (!s.step() || s.int64(0) != 1)
            continue;
        s.reset();
        const auto field = std::find_if(fields.cbegin(), fields.cend(),
                                        [&](const FieldDef &f) { return f.name == index.field; });
        exec(QStringLiteral("DROP INDEX %1").arg(quotedName(index.name)));
        createIndex(table, index, field != fields.cend() && field->type == FieldDef::Text);
        if (index.primary)
            exec(QStringLiteral("COMMENT ON INDEX %1 IS 'primary'").arg(quotedName(index.name)));
    }
}

void PgDatabase::addField(const QString &table, const FieldDef &field) {
    exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
             .arg(quotedName(table), columnSql(field, false)));
}

void PgDatabase::dropTable(const QString &table) {
    exec(QStringLiteral("DROP TABLE %1").arg(quotedName(table)));
}

bool PgDatabase::hasTable(const QString &table) {
    Statement s(*this, QStringLiteral("SELECT to_regclass(quote_ident(?1)) IS NOT NULL"));
    s.bind(1, table);
    return s.step() && s.int64(0) != 0;
}

bool PgDatabase::hasAnyTable() {
    Statement s(*this, QStringLiteral("SELECT 1 FROM pg_tables WHERE schemaname = "
                                      "current_schema() LIMIT 1"));
    return s.step();
}

QList<FieldDef> PgDatabase::fields(const QString &table) {
    QStringList rules;
    {
        Statement s(*this, QStringLiteral("SELECT conname FROM pg_constraint WHERE conrelid = "
                                          "to_regclass(quote_ident(?1)) AND contype = 'c'"));
        s.bind(1, table);
        while (s.step())
            rules << s.value(0).toString();
    }
    Statement s(*this, QStringLiteral("SELECT attname, format_type(atttypid, atttypmod) FROM "
                                      "pg_attribute WHERE attrelid = to_regclass(quote_ident(?1)) "
                                      "AND attnum > 0 AND NOT attisdropped AND attname <> 'rowid' "
                                      "ORDER BY attnum"));
    s.bind(1, table);
    QList<FieldDef> result;
    static const QRegularExpression size(QStringLiteral("^(\\w+)_size(\\d+)$"));
    while (s.step()) {
        FieldDef f;
        f.name = s.value(0).toString();
        const QString type = s.value(1).toString();
        if (type == QLatin1String("date")) {
            f.type = FieldDef::Date;
        } else if (type == QLatin1String("boolean")) {
            f.type = FieldDef::YesNo;
        } else {
            for (const QString &rule : rules) {
                const auto m = size.match(rule);
                if (m.hasMatch() && m.captured(1) == f.name)
                    f.size = m.captured(2).toInt();
            }
        }
        f.allowZeroLength =
            f.type == FieldDef::Text && !rules.contains(f.name + QStringLiteral("_nonempty"));
        result << f;
    }
    return result;
}

QList<IndexDef> PgDatabase::indexes(const QString &table) {
    Statement s(*this,
                QStringLiteral("SELECT i.relname, x.indisunique, pg_get_indexdef(x.indexrelid, 1, "
                               "true), obj_description(x.indexrelid, 'pg_class') FROM pg_index x "
                               "JOIN pg_class i ON i.oid = x.indexrelid WHERE x.indrelid = "
                               "to_regclass(quote_ident(?1)) AND NOT x.indisprimary ORDER BY "
                               "i.oid"));
    s.bind(1, table);
    QList<IndexDef> result;
    // The key is the field itself or its text key: the first name in double quotes.
    static const QRegularExpression field(QStringLiteral("\"?([A-Za-z_][A-Za-z0-9_]*)\"?(?!\\()"));
    while (s.step()) {
        IndexDef index;
        index.name = s.value(0).toString();
        index.unique = s.int64(1) != 0;
        QString key = s.value(2).toString();
        if (key.startsWith(QLatin1String("lower(")))
            key = key.mid(6);
        index.field = field.match(key).captured(1);
        index.primary = s.value(3).toString() == QLatin1String("primary");
        result << index;
    }
    return result;
}

void PgDatabase::makeAppendOnly(const QString &table) {
    const QString trigger = table + QStringLiteral("_permanent");
    {
        // Made once: remaking them at every start would lock the table against the others.
        Statement there(*this, QStringLiteral("SELECT count(*) FROM pg_trigger WHERE tgrelid = "
                                              "to_regclass(?1) AND tgname LIKE ?2"));
        there.bind(1, quotedName(table));
        there.bind(2, trigger + QStringLiteral("%"));
        if (there.step() && there.int64(0) == 2)
            return;
    }
    const QString message = QStringLiteral("The rows of %1 are a permanent record: they cannot be "
                                           "changed or deleted.")
                                .arg(table);
    exec(QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS "
                        "'BEGIN RAISE EXCEPTION ''%2''; END'")
             .arg(quotedName(trigger), message));
    exec(QStringLiteral("CREATE OR REPLACE TRIGGER %1 BEFORE UPDATE OR DELETE ON %2 FOR EACH ROW "
                        "EXECUTE FUNCTION %3()")
             .arg(quotedName(trigger + QStringLiteral("_row")), quotedName(table),
                  quotedName(trigger)));
    exec(QStringLiteral("CREATE OR REPLACE TRIGGER %1 BEFORE TRUNCATE ON %2 FOR EACH STATEMENT "
                        "EXECUTE FUNCTION %3()")
             .arg(quotedName(trigger + QStringLiteral("_all")), quotedName(table),
                  quotedName(trigger)));
}

qint64 PgDatabase::backupInto(const QString &newPath, const QString &table,
                              const std::atomic<bool> *stop) {
    if (QFileInfo::exists(newPath))
        throw StoreError(Kind::CannotOpen,
                         QStringLiteral("The file %1 already exists.").arg(newPath));
    qint64 rows = -1;
    try {
        createDealDatabase(newPath);
        auto to = SqliteDatabase::open(newPath);
        Transaction reading(*this);
        exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
        Transaction writing(*to);
        for (const QString &name : {DealSchema::Table, Audit::Table, OfficePassword::Table}) {
            if (!hasTable(name))
                continue;
            QStringList names, places;
            for (const FieldDef &field : to->fields(name)) {
                names << quotedName(field.name);
                places << QStringLiteral("?%1").arg(names.size());
            }
            Statement read(*this, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                      .arg(names.join(u','), quotedName(name)));
            Statement write(*to, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(quotedName(name), names.join(u','), places.join(u',')));
            qint64 copied = 0;
            for (; read.step(); ++copied) {
                if (copied % 1000 == 0 && stop != nullptr && stop->load())
                    throw StoreError(Kind::Other,
                                     QStringLiteral("The copy into %1 was stopped.").arg(newPath));
                for (int i = 0; i < names.size(); ++i)
                    write.bind(i + 1, read.value(i));
                write.step();
                write.reset();
            }
            if (name == table)
                rows = copied;
        }
        writing.commit();
    } catch (...) {
        QFile::remove(newPath);
        throw;
    }
    return rows;
}

void PgDatabase::compact(const QString &table) {
    exec(QStringLiteral("VACUUM (FULL, ANALYZE) %1").arg(quotedName(table)));
}

QString PgDatabase::insertManySql(const QString &table, const QList<FieldDef> &columns,
                                  const QString &tail) {
    QStringList names, arrays;
    for (const FieldDef &f : columns) {
        names << quotedName(f.name);
        arrays << QStringLiteral("CAST(?%1 AS %2[])").arg(names.size()).arg(typeName(f));
    }
    return QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM unnest(%3) WITH ORDINALITY AS "
                          "volmera_rows (%2, volmera_order) ORDER BY volmera_order %4")
        .arg(quotedName(table), names.join(u','), arrays.join(u','), tail);
}

void PgDatabase::appendToArray(QByteArray &array, std::optional<QByteArrayView> value) {
    array += array.isEmpty() ? '{' : ',';
    if (!value) {
        array += "NULL";
        return;
    }
    array += '"';
    for (const char c : *value) {
        if (c == '"' || c == '\\')
            array += '\\';
        array += c;
    }
    array += '"';
}

void PgDatabase::closeArray(QByteArray &array) {
    array += array.isEmpty() ? "{}" : "}";
}

void PgDatabase::copyInto(const QString &table, const QList<FieldDef> &columns,
                          QByteArrayView rows) {
    QStringList names;
    for (const FieldDef &f : columns)
        names << quotedName(f.name);
    // Names only: the rows follow as the statement's data.
    const QByteArray sql =
        QStringLiteral("COPY %1 (%2) FROM STDIN").arg(quotedName(table), names.join(u',')).toUtf8();
    PGconn *c = live();
    // A refused row must not end the transaction around it, as a refused statement does not.
    const bool guarded = transaction;
    if (guarded)
        exec(QStringLiteral("SAVEPOINT volmera_step"));
    PGresult *r = PQexecParams(c, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    if (PQresultStatus(r) == PGRES_COPY_IN) {
        PQclear(r);
        // In pieces, since one message holds at most 2 GB. A piece that cannot be sent leaves
        // the connection broken, which the result then says.
        const qsizetype piece = 1 << 20;
        bool sent = true;
        for (qsizetype at = 0; sent && at < rows.size(); at += piece)
            sent = PQputCopyData(c, rows.data() + at, int(qMin(piece, rows.size() - at))) == 1;
        if (sent)
            PQputCopyEnd(c, nullptr);
        r = PQgetResult(c);
        while (PGresult *more = PQgetResult(c))
            PQclear(more);
    }
    if (PQresultStatus(r) != PGRES_COMMAND_OK) {
        const StoreError error = failure(r);
        PQclear(r);
        if (guarded && PQstatus(c) == CONNECTION_OK)
            exec(QStringLiteral("ROLLBACK TO SAVEPOINT volmera_step"));
        throw error;
    }
    PQclear(r);
    if (guarded)
        exec(QStringLiteral("RELEASE SAVEPOINT volmera_step"));
}

void PgDatabase::appendCopyField(QByteArray &rows, std::optional<QByteArrayView> value, bool last) {
    if (!value) {
        rows += "\\N";
    } else {
        // The characters that end a field or a row, and the escape itself, are escaped.
        qsizetype plain = 0;
        for (qsizetype i = 0; i < value->size(); ++i) {
            const char c = (*value)[i];
            const char *escaped = c == '\\'   ? "\\\\"
                                  : c == '\t' ? "\\t"
                                  : c == '\n' ? "\\n"
                                  : c == '\r' ? "\\r"
                                              : nullptr;
            if (escaped == nullptr)
                continue;
            rows.append(value->data() + plain, i - plain);
            rows += escaped;
            plain = i + 1;
        }
        rows.append(value->data() + plain, value->size() - plain);
    }
    rows += last ? '\n' : '\t';
}
