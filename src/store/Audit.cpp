#include "store/Audit.h"

#include "base/Clock.h"
#include "store/PgDatabase.h"

#include <QSysInfo>
#include <array>
#include <pwd.h>
#include <unistd.h>

namespace Audit {
namespace {
// The table's fields, with their sizes: every text is cut to its size, so that the record
// never stands in the way of the change it records.
enum Column { At, Host, OSUser, ActionColumn, StkNbr, Field, OldValue, NewValue };
const QList<FieldDef> &fields() {
    static const QList<FieldDef> all = {
        {QStringLiteral("At"), FieldDef::Text, 19, true},
        {QStringLiteral("Host"), FieldDef::Text, 64, true},
        {QStringLiteral("OSUser"), FieldDef::Text, 64, true},
        {QStringLiteral("Action"), FieldDef::Text, 10, true},
        {QStringLiteral("StkNbr"), FieldDef::Text, 8, true},
        {QStringLiteral("Field"), FieldDef::Text, 10, true},
        {QStringLiteral("OldValue"), FieldDef::Text, 255, true},
        {QStringLiteral("NewValue"), FieldDef::Text, 255, true},
    };
    return all;
}

const QString momentFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString columnList() {
    QStringList names;
    for (const FieldDef &f : fields())
        names << quotedName(f.name);
    return names.join(QStringLiteral(", "));
}

QString withoutTrailingBlanks(QString text) {
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

QVariant cut(const std::optional<QString> &text, Column column) {
    if (!text)
        return {};
    // Never Null for a kept value, and never a NUL, which no text of the database may hold.
    QString kept = text->left(fields()[column].size);
    kept.replace(QChar(0), u' ');
    return kept.isNull() ? QStringLiteral("") : kept;
}

std::optional<QString> optionalText(const Statement &s, int column) {
    if (s.isNull(column))
        return std::nullopt;
    return s.value(column).toString();
}
} // namespace

void ensureTable(Database &db) {
    if (!db.hasTable(Table))
        db.createTable(Table, fields(), {});
    db.makeAppendOnly(Table);
}

QString hostName() {
    static const QString name = QSysInfo::machineHostName();
    return name;
}

QString userName() {
    static const QString name = [] {
        if (const passwd *account = ::getpwuid(::getuid());
            account != nullptr && account->pw_name != nullptr)
            return QString::fromLocal8Bit(account->pw_name);
        return qEnvironmentVariable("USER");
    }();
    return name;
}

Writer::Writer(Database &db)
    : db(db),
      insert(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)")
                     .arg(quotedName(Table), columnList())) {}

void Writer::write(const QString &action, const QString &stock, const QString &field,
                   const std::optional<QString> &oldValue, const std::optional<QString> &newValue) {
    insert.bind(At + 1, Clock::now().toString(momentFormat));
    insert.bind(Host + 1, cut(hostName(), Host));
    insert.bind(OSUser + 1, cut(userName(), OSUser));
    insert.bind(ActionColumn + 1, cut(action, ActionColumn));
    insert.bind(StkNbr + 1, cut(withoutTrailingBlanks(stock), StkNbr));
    insert.bind(Field + 1, cut(field, Field));
    insert.bind(OldValue + 1, cut(oldValue, OldValue));
    insert.bind(NewValue + 1, cut(newValue, NewValue));
    try {
        insert.step();
    } catch (...) {
        insert.reset();
        throw;
    }
    insert.reset();
}

void Writer::writeEach(const QString &action, const QStringList &stocks, const QString &newValue) {
    if (db.engine() != Database::Engine::PostgreSQL) {
        for (const QString &stock : stocks)
            write(action, stock, {}, QString(), newValue);
        return;
    }
    if (stocks.isEmpty())
        return;
    const QVariant values[] = {Clock::now().toString(momentFormat),
                               cut(hostName(), Host),
                               cut(userName(), OSUser),
                               cut(action, ActionColumn),
                               {},
                               cut(QString(), Field),
                               cut(QString(), OldValue),
                               cut(newValue, NewValue)};
    std::array<QByteArray, std::size(values)> same;
    for (size_t i = 0; i < same.size(); ++i)
        same[i] = values[i].toString().toUtf8();
    QByteArray rows;
    for (const QString &stock : stocks) {
        const QByteArray number = cut(withoutTrailingBlanks(stock), StkNbr).toString().toUtf8();
        for (size_t i = 0; i < same.size(); ++i)
            PgDatabase::appendCopyField(rows, i == StkNbr ? number : same[i], i + 1 == same.size());
    }
    static_cast<PgDatabase &>(db).copyInto(Table, fields(), rows);
}

QList<Entry> history(Database &db, const QString &stock, const QDate &since) {
    QStringList conditions;
    QVariantList values;
    if (const QString wanted = withoutTrailingBlanks(stock.trimmed()); !wanted.isEmpty()) {
        values << wanted;
        conditions << db.textKey(quotedName(QStringLiteral("StkNbr"))) + QStringLiteral(" = ") +
                          db.textKey(QStringLiteral("?%1").arg(values.size()));
    }
    if (since.isValid()) {
        values << since.toString(Qt::ISODate);
        conditions << QStringLiteral("\"At\" >= ?%1").arg(values.size());
    }
    Statement s(db, QStringLiteral("SELECT %1 FROM %2 %3 ORDER BY \"At\", rowid")
                        .arg(columnList(), quotedName(Table),
                             conditions.isEmpty() ? QString()
                                                  : QStringLiteral("WHERE ") +
                                                        conditions.join(QStringLiteral(" AND "))));
    for (int i = 0; i < values.size(); ++i)
        s.bind(i + 1, values[i]);
    QList<Entry> entries;
    while (s.step()) {
        entries.append({QDateTime::fromString(s.value(At).toString(), momentFormat),
                        s.value(Host).toString(), s.value(OSUser).toString(),
                        s.value(ActionColumn).toString(), s.value(StkNbr).toString(),
                        s.value(Field).toString(), optionalText(s, OldValue),
                        optionalText(s, NewValue)});
    }
    return entries;
}

} // namespace Audit
