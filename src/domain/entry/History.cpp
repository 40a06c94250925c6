#include "domain/entry/History.h"

namespace DealHistory {

QList<Audit::Entry> read(const DatabaseAddress &database, const QString &stock,
                         const QDate &since) {
    auto db = Database::open(database);
    if (!db->hasTable(Audit::Table))
        return {};
    return Audit::history(*db, stock, since);
}

QString line(const Audit::Entry &e) {
    const auto shown = [](const std::optional<QString> &value) {
        return value ? *value : QStringLiteral("(not kept)");
    };
    QString change;
    if (!e.field.isEmpty())
        change = QStringLiteral("%1: %2 -> %3").arg(e.field, shown(e.oldValue), shown(e.newValue));
    else if (e.newValue && !e.newValue->isEmpty())
        change = *e.newValue;
    QStringList parts{e.at.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss")),
                      e.action.leftJustified(8), e.stock.leftJustified(8)};
    if (!change.isEmpty())
        parts << change;
    parts << QStringLiteral("(%1 on %2)").arg(e.user, e.host);
    return parts.join(QStringLiteral("  "));
}

} // namespace DealHistory
