#include "base/Format.h"
#include "domain/reports/Builders.h"
#include "domain/reports/ReportSelection.h"

using namespace DealSchema;
using ReportSelection::appendFitted;
using ReportSelection::appendMoney;
using ReportSelection::money;
using ReportSelection::rtrim;
using ReportSelection::rtrimmed;

namespace {
// Term and rate keep every digit of their text; a text without a leading number shows 0.
void appendNumber(QString &line, const QString &mask, const DealSource &d, int field) {
    const QStringView view = d.view(field);
    if (Val(QString::fromRawData(view.data(), view.size())) == 0.0)
        appendFormatted(line, mask, Currency());
    else
        appendFormatted(line, mask, view);
}

// Whether a stored date is yyyy-mm-dd in digits and a day of the calendar: then its month and
// day are its own digits, and no date need be made.
bool plainDate(QStringView v) {
    if (v.size() != 10 || v[4] != u'-' || v[7] != u'-')
        return false;
    int parts[3] = {0, 0, 0};
    for (qsizetype i = 0, part = 0; i < 10; ++i) {
        if (i == 4 || i == 7) {
            ++part;
            continue;
        }
        if (v[i] < u'0' || v[i] > u'9')
            return false;
        parts[part] = parts[part] * 10 + (v[i].unicode() - u'0');
    }
    return QDate::isValid(parts[0], parts[1], parts[2]);
}

bool passes(const ReportConditions &c, const QString &manager, const DealSource &deal) {
    if (!ReportSelection::inDateRange(deal, c))
        return false;
    if (manager != QLatin1String("ALL") && rtrimmed(deal.view(FIMgr)) != manager)
        return false;
    return ReportSelection::vehiclePasses(c, deal.text(NewUsed));
}

// The six running totals, in the order of the totals line.
struct Totals {
    Currency finance, service, life, disability, other, deal;
};

Currency otherProfit(const DealSource &d) {
    return d.amount(PrftAmt1) + d.amount(PrftAmt2) + d.amount(PrftAmt3);
}

const QList<SheetColumn> sheetColumns = {{QStringLiteral("Date Sold"), 10},
                                         {QStringLiteral("F&I Manager"), 3},
                                         {QStringLiteral("Class"), 1},
                                         {QStringLiteral("Stock Number"), 8},
                                         {QStringLiteral("Last Name"), 15},
                                         {QStringLiteral("Finance Source"), 3},
                                         {QStringLiteral("Year"), 4},
                                         {QStringLiteral("Make"), 12},
                                         {QStringLiteral("Model"), 12},
                                         {QStringLiteral("Term"), 4},
                                         {QStringLiteral("APR"), 8},
                                         {QStringLiteral("Finance Reserve"), 12},
                                         {QStringLiteral("Service Contract"), 12},
                                         {QStringLiteral("Credit Life"), 12},
                                         {QStringLiteral("A&H"), 12},
                                         {QStringLiteral("Other Profit"), 12},
                                         {QStringLiteral("Total"), 12}};

// The deal's row of the spreadsheet: term and rate as the list reads them.
SheetRow sheetRow(const DealSource &d, const Currency (&amounts)[6]) {
    SheetRow row;
    row.cells << SheetCell::ofDate(d.date(DateSold))
              << SheetCell::ofText(rtrimmed(d.view(FIMgr)).toString())
              << SheetCell::ofText(d.text(NewUsed))
              << SheetCell::ofText(rtrimmed(d.view(StkNbr)).toString())
              << SheetCell::ofText(rtrimmed(d.view(ByLName)).toString())
              << SheetCell::ofText(rtrimmed(d.view(FinanceSrc)).toString())
              << SheetCell::ofText(d.text(Year))
              << SheetCell::ofText(rtrimmed(d.view(Make)).toString())
              << SheetCell::ofText(rtrimmed(d.view(Model)).toString())
              << SheetCell::ofCount(qint64(Val(d.text(Term))))
              << SheetCell::ofRate(Val(d.text(APR)));
    for (const Currency amount : amounts)
        row.cells << SheetCell::ofMoney(amount);
    return row;
}

// The three lines of a deal's entry, the last one empty.
void entry(const DealSource &d, int, QStringList &lines) {
    static const QString term = QStringLiteral("##0"), rate = QStringLiteral("#0.00000"),
                         day = QStringLiteral("mm/dd");
    QString first;
    first.reserve(96);
    const QStringView sold = d.view(DateSold);
    if (plainDate(sold))
        first.append(sold.mid(5, 2)).append(u'/').append(sold.mid(8, 2));
    else
        appendFitted(first, formatDate(d.date(DateSold), day), 5);
    first.append(u' ');
    appendFitted(first, d.view(ByLName), 15);
    first.append(u' ');
    appendFitted(first, d.view(StkNbr), 8);
    first.append(u' ');
    // The vehicle, cut or padded to its 26 columns where it is written.
    const qsizetype vehicle = first.size();
    first.append(d.view(NewUsed)).append(u' ').append(d.view(Year)).append(u' ');
    first.append(rtrimmed(d.view(Make))).append(u' ').append(d.view(Model));
    first.resize(vehicle + 26, u' ');
    first.append(u' ');
    appendFitted(first, d.view(FinanceSrc), 3);

    const Currency finance = d.amount(FinRes), service = d.amount(SrvRes), life = d.amount(LifeRes),
                   disability = d.amount(AHRes), other = otherProfit(d);
    const Currency total = finance + service + life + disability + other;
    QString second;
    second.reserve(90);
    second.resize(12, u' ');
    appendNumber(second, term, d, Term);
    second.append(u' ');
    appendNumber(second, rate, d, APR);
    for (const Currency amount : {finance, service, life, disability, other, total}) {
        second.append(u' ');
        appendMoney(second, amount);
    }
    lines.append(first);
    lines.append(second);
    lines.append(QString());
}

void add(const DealSource &d, Totals &totals, ReportSheet &sheet) {
    const Currency finance = d.amount(FinRes), service = d.amount(SrvRes), life = d.amount(LifeRes),
                   disability = d.amount(AHRes), other = otherProfit(d);
    if (!sheet.isEmpty())
        sheet.rows << sheetRow(d, {finance, service, life, disability, other,
                                   finance + service + life + disability + other});
    totals.finance += finance;
    totals.service += service;
    totals.life += life;
    totals.disability += disability;
    totals.other += other;
    totals.deal += finance + service + life + disability + other;
}
} // namespace

ReportOutput DoFILog(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    ReportOutput out;
    out.lines.listDeals(deals.reader(), 3, entry);
    if (c.dealRows) {
        out.sheet.name = QStringLiteral("F&I Log");
        out.sheet.columns = sheetColumns;
    }
    Totals totals;
    const QString manager = rtrim(c.FIMgr);
    const auto move = [&](bool first) {
        return policy.attempt([&] { first ? deals.moveFirst() : deals.moveNext(); });
    };
    bool going = move(true);
    while (going && !deals.eof()) {
        if (passes(c, manager, deals)) {
            add(deals, totals, out.sheet);
            out.lines.addEntry(deals);
        }
        going = move(false);
    }
    if (!going) {
        out.cancelled = true;
        return out;
    }
    const QStringList columns = {money(totals.finance), money(totals.service),
                                 money(totals.life),    money(totals.disability),
                                 money(totals.other),   money(totals.deal)};
    out.totals.append({QStringLiteral("lblFILogTtl"), columns.join(u' ')});
    if (c.dealRows) {
        SheetRow sum{QList<SheetCell>(sheetColumns.size() - 6), true, true};
        sum.cells[0] = SheetCell::ofText(QStringLiteral("Total"));
        for (const Currency amount : {totals.finance, totals.service, totals.life,
                                      totals.disability, totals.other, totals.deal})
            sum.cells << SheetCell::ofMoney(amount);
        out.sheet.rows << sum;
    }
    return out;
}
