#include "base/Format.h"
#include "domain/reports/Builders.h"
#include "domain/reports/ReportSelection.h"
#include "domain/reports/SalespersonGroups.h"

using namespace DealSchema;
using ReportSelection::appendFitted;
using ReportSelection::money;
using ReportSelection::rtrimmed;

namespace {

// A deal without a class passes either class test.
bool classPasses(const ReportConditions &c, const DealSource &deals) {
    return c.Veh == ReportConditions::All || deals.isNull(NewUsed) ||
           ReportSelection::vehiclePasses(c, deals.text(NewUsed));
}

// One line per listed deal, built in place.
void dealLine(const DealSource &deals, int, QStringList &lines) {
    const Currency gross = deals.amount(UnitPrft), pack = deals.amount(Pack);
    QString vehicle;
    vehicle.reserve(48);
    vehicle.append(deals.view(NewUsed)).append(QLatin1Char(' ')).append(deals.view(Year));
    vehicle.append(QLatin1Char(' ')).append(rtrimmed(deals.view(Make))).append(QLatin1Char(' '));
    vehicle.append(deals.view(Model));
    QString line;
    line.reserve(80);
    line.append(formatDate(deals.date(DateSold), QStringLiteral("mm/dd"))).append(QLatin1Char(' '));
    appendFitted(line, deals.view(ByLName), 10);
    line.append(QLatin1Char(' '));
    appendFitted(line, deals.view(StkNbr), 8);
    line.append(QLatin1Char(' '));
    appendFitted(line, vehicle, 24);
    line.append(QLatin1Char(' ')).append(money(gross)).append(QLatin1Char(' ')).append(money(pack));
    line.append(QLatin1Char(' ')).append(money(gross + pack));
    lines.append(line);
}

const QList<SheetColumn> sheetColumns = {
    {QStringLiteral("Date Sold"), 10}, {QStringLiteral("Salesperson"), 20},
    {QStringLiteral("Last Name"), 15}, {QStringLiteral("Stock Number"), 8},
    {QStringLiteral("Class"), 1},      {QStringLiteral("Year"), 4},
    {QStringLiteral("Make"), 12},      {QStringLiteral("Model"), 12},
    {QStringLiteral("Gross"), 12},     {QStringLiteral("Pack"), 12},
    {QStringLiteral("Net"), 12}};

SheetRow sheetRow(const DealSource &deals, Currency gross, Currency pack) {
    return {{SheetCell::ofDate(deals.date(DateSold)),
             SheetCell::ofText(ReportSelection::salespersonKey(deals.text(Salesman))),
             SheetCell::ofText(rtrimmed(deals.view(ByLName)).toString()),
             SheetCell::ofText(rtrimmed(deals.view(StkNbr)).toString()),
             SheetCell::ofText(deals.text(NewUsed)), SheetCell::ofText(deals.text(Year)),
             SheetCell::ofText(rtrimmed(deals.view(Make)).toString()),
             SheetCell::ofText(rtrimmed(deals.view(Model)).toString()), SheetCell::ofMoney(gross),
             SheetCell::ofMoney(pack), SheetCell::ofMoney(gross + pack)}};
}

QString subTotalLine(Currency gross, Currency pack) {
    return QString(41, QLatin1Char(' ')) + QLatin1String("Sub Total ") + money(gross) +
           QLatin1Char(' ') + money(pack) + QLatin1Char(' ') + money(gross + pack);
}

} // namespace

ReportOutput DoGrossSale(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    ReportOutput out;
    out.lines.listDeals(deals.reader(), 1, dealLine);
    // The condition dates become keys once, not once per deal.
    const QString from = ReportSelection::conditionKey(c.BDT);
    const QString to = ReportSelection::conditionKey(c.EDT);
    const auto passes = [&] {
        const QString date = deals.dateKey(DateSold);
        return !date.isEmpty() && date >= from && date <= to && classPasses(c, deals);
    };
    Currency totalGross, totalPack, subGross, subPack;
    const auto list = [&] {
        const Currency gross = deals.amount(UnitPrft);
        const Currency pack = deals.amount(Pack);
        totalGross += gross;
        totalPack += pack;
        subGross += gross;
        subPack += pack;
        out.lines.addEntry(deals);
        if (c.dealRows)
            out.sheet.rows << sheetRow(deals, gross, pack);
    };
    if (c.dealRows) {
        out.sheet.name = QStringLiteral("Gross Sales");
        out.sheet.columns = sheetColumns;
    }

    if (c.PrtBy != ReportConditions::Salesperson) {
        out.cancelled = !walkDeals(deals, policy, [&] {
            if (passes())
                list();
        });
    } else if (const auto groups = groupBySalesperson(deals, policy, passes)) {
        for (const SalespersonGroup &group : *groups) {
            if (!out.salespeople.isEmpty())
                out.lines << QString();
            out.lines << group.key + QLatin1String(" (Salesman)");
            out.salespeople << group.key;
            subGross = subPack = Currency();
            if (!walkGroup(deals, policy, group, list)) {
                out.cancelled = true;
                break;
            }
            out.lines << subTotalLine(subGross, subPack);
        }
        // Without a deal the sub total of no one is still shown, as zeros.
        if (groups->empty())
            out.lines << subTotalLine(subGross, subPack);
    } else {
        out.cancelled = true;
    }
    if (out.cancelled)
        return out;
    out.totals << qMakePair(QStringLiteral("lblGSRTtl"), money(totalGross) + QLatin1Char(' ') +
                                                             money(totalPack) + QLatin1Char(' ') +
                                                             money(totalGross + totalPack));
    if (c.dealRows) {
        SheetRow sum{QList<SheetCell>(sheetColumns.size() - 3), true, true};
        sum.cells[0] = SheetCell::ofText(QStringLiteral("Total"));
        sum.cells << SheetCell::ofMoney(totalGross) << SheetCell::ofMoney(totalPack)
                  << SheetCell::ofMoney(totalGross + totalPack);
        out.sheet.rows << sum;
    }
    return out;
}
