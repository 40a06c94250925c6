#include "domain/reports/ReportSelection.h"

#include "domain/reports/DealSource.h"
#include "domain/reports/Reports.h"

#include <QDate>

namespace ReportSelection {

QString orderText(const ReportConditions &c) {
    const ReportDescriptor *report = reportDescriptor(c.report);
    if (report == nullptr)
        return QStringLiteral("DateSold");
    QString order = report->order;
    if ((report->accepts & Accepts::NewUsed) && c.Veh != ReportConditions::All)
        order.prepend(QStringLiteral("NewUsed, "));
    if (!(report->accepts & Accepts::Salesperson) || c.PrtBy != ReportConditions::Salesperson)
        return order;
    return report->salesmanKey == ReportDescriptor::SalespersonKey::Last
               ? order + QStringLiteral(", Salesman")
               : QStringLiteral("Salesman, ") + order;
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
    return deal.dateKeyWithin(DealSchema::DateSold, from, to);
}

bool hasCustomer(const DealSource &deal) {
    return !rtrimmed(deal.view(DealSchema::ByLName)).isEmpty();
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

namespace {
const QString &moneyMask() {
    static const QString mask = QStringLiteral("#####0.00");
    return mask;
}
} // namespace

QString money(Currency amount) {
    return FormatUsing(moneyMask(), amount);
}

void appendMoney(QString &line, Currency amount) {
    appendFormatted(line, moneyMask(), amount);
}

QString salespersonKey(const QString &salesman) {
    return salespersonKeyOf(salesman).toString();
}

QStringView salespersonKeyOf(QStringView salesman) {
    QStringView key = rtrimmed(salesman);
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        key = rtrimmed(key.left(slash)); // "JONES /SMITH" is a deal of JONES
    return key.isEmpty() ? QStringView(u"BLANK") : key;
}

bool sameKey(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool inBlock(const QString &key, QStringView salesman) {
    if (key == QLatin1String("BLANK"))
        return rtrimmed(salesman).isEmpty();
    return salesman.startsWith(key, Qt::CaseInsensitive);
}

} // namespace ReportSelection
