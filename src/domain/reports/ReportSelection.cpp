#include "domain/reports/ReportSelection.h"

#include "domain/reports/DealSource.h"

#include <QDate>

namespace ReportSelection {

QString orderText(const ReportConditions &c) {
    const bool byClass = c.Veh != ReportConditions::All;
    const bool bySalesperson = c.PrtBy == ReportConditions::Salesperson;
    const QString cls = byClass ? QStringLiteral("NewUsed, ") : QString();
    QString base;
    bool appended = false; // the salesperson comes last rather than first
    switch (c.report) {
    case 1:
    case 6:
        base = cls + QStringLiteral("DateSold");
        appended = true;
        break;
    case 2:
        base = QStringLiteral("DateSold");
        break;
    case 4:
        return QStringLiteral("DateSold, Salesman");
    case 5:
        base = cls + QStringLiteral("ByLName, DateSold");
        break;
    case 7:
    case 8:
        base = cls + QStringLiteral("ByLName");
        break;
    case 9:
        base = cls + QStringLiteral("SrvElig, DateSold");
        break;
    default: // 3 gross sales, 10 model
        base = cls + QStringLiteral("DateSold");
    }
    if (!bySalesperson)
        return base;
    return appended ? base + QStringLiteral(", Salesman") : QStringLiteral("Salesman, ") + base;
}

QString queryText(const ReportConditions &c) {
    return QStringLiteral("SELECT *FROM ZEL ORDER BY ") + orderText(c);
}

QString conditionKey(const QString &date) {
    const QDate d = QDate::fromString(date.trimmed(), QStringLiteral("M/d/yyyy"));
    return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : date;
}

bool inDateRange(const DealSource &deal, const ReportConditions &c) {
    // The condition dates are read once for a run of deals, not once per deal.
    static thread_local QString bdt, edt, from, to;
    if (c.BDT != bdt || from.isNull()) {
        bdt = c.BDT;
        from = conditionKey(bdt);
    }
    if (c.EDT != edt || to.isNull()) {
        edt = c.EDT;
        to = conditionKey(edt);
    }
    const QString key = deal.dateKey(DealSchema::DateSold);
    return !key.isEmpty() && key >= from && key <= to;
}

bool vehiclePasses(const ReportConditions &c, const QString &newUsed) {
    switch (c.Veh) {
    case ReportConditions::New:
        return newUsed == QLatin1String("N");
    case ReportConditions::Used:
        return newUsed == QLatin1String("U");
    default:
        return true;
    }
}

QString rtrim(const QString &text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.left(end);
}

QStringView rtrimmed(QStringView text) {
    while (!text.isEmpty() && text.back() == QLatin1Char(' '))
        text.chop(1);
    return text;
}

QString fit(const QString &text, int width) {
    return text.leftJustified(width, QLatin1Char(' '), true);
}

void appendFitted(QString &line, QStringView text, qsizetype width) {
    const qsizetype end = line.size() + width;
    line.append(text.left(width));
    line.resize(end, QLatin1Char(' '));
}

QString money(Currency amount) {
    static const QString mask = QStringLiteral("#####0.00");
    return FormatUsing(mask, QVariant::fromValue(amount));
}

QString salespersonKey(const QString &salesman) {
    QString key = rtrim(salesman);
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        key = key.left(slash);
    return key.isEmpty() ? QStringLiteral("BLANK") : key;
}

bool inBlock(const QString &key, const QString &salesman) {
    if (key == QLatin1String("BLANK"))
        return rtrim(salesman).isEmpty();
    return salesman.startsWith(key, Qt::CaseSensitive);
}

} // namespace ReportSelection
