#include "base/Format.h"
#include "domain/reports/Builders.h"
#include "domain/reports/ReportSelection.h"

#include <QHash>
#include <vector>

using namespace DealSchema;
using ReportSelection::rtrimmed;

namespace {

// One person's row; units are counted in halves so that shared deals add up exactly.
struct Person {
    QString name;
    qint64 newHalves = 0;
    qint64 usedHalves = 0;
    Currency newComm;
    Currency usedComm;
};

// The names of a deal, read from the first 20 characters of its Salesman text.
struct Names {
    QStringView first, second, asm_;
};

// Blanks before a "/" are dropped as well, so that "JONES /SMITH" posts to the row of JONES.
Names namesOf(QStringView salesman) {
    QStringView s = salesman.left(20);
    Names names;
    int part = 1;
    for (qsizetype slash = s.indexOf(QLatin1Char('/')); slash >= 0;
         slash = s.indexOf(QLatin1Char('/')), ++part) {
        if (part == 1)
            names.first = rtrimmed(s.left(slash));
        else if (part == 2)
            names.second = rtrimmed(s.left(slash));
        s = s.mid(slash + 1);
    }
    if (part == 1)
        names.first = rtrimmed(s);
    else if (part == 2)
        names.second = rtrimmed(s);
    else if (part == 3)
        names.asm_ = rtrimmed(s);
    return names;
}

// amount / units to the four decimals of a currency value; 0 without units.
Currency average(Currency amount, qint64 halves) {
    if (halves <= 0)
        return {};
    const qint64 u = amount.tenThousandths() * 2;
    const qint64 q = ((u < 0 ? -u : u) * 2 + halves) / (2 * halves);
    return Currency::fromUnits(u < 0 ? -q : q);
}

QString units(qint64 halves) {
    return FormatUsing(QStringLiteral("###,##0.0"), halves / 2.0);
}
QString commission(Currency c) {
    return FormatUsing(QStringLiteral("###,##0.00"), QVariant::fromValue(c));
}
QString commissionTotal(Currency c) {
    return FormatUsing(QStringLiteral("####,##0.00"), QVariant::fromValue(c));
}

class PersonTable {
public:
    void post(const DealSource &deals, bool asmReport) {
        Names names = namesOf(deals.view(Salesman));
        if (asmReport)
            names.first = names.second = QStringView();
        else
            names.asm_ = QStringView();
        const qint64 share = names.second.isEmpty() ? 2 : 1;
        const bool isNew = deals.view(NewUsed) == u"N";
        const bool searching = !rows.empty(); // a deal meeting an empty table adds every name
        if (!names.first.isEmpty())
            add(rowOf(names.first, searching), isNew, share, deals.amount(SmComm1));
        if (!names.second.isEmpty())
            add(rowOf(names.second, searching), isNew, share, deals.amount(SmComm2));
        if (!names.asm_.isEmpty())
            add(rowOf(names.asm_, searching), isNew, 2, deals.amount(ASMComm));
    }
    const std::vector<Person> &people() const { return rows; }

private:
    // The first row of the name, letter case aside; rows are found by the name in upper case.
    Person &rowOf(QStringView name, bool search) {
        const QString folded = name.toString().toUpper();
        if (search) {
            const auto found = index.constFind(folded);
            if (found != index.constEnd())
                return rows[*found];
        }
        if (!index.contains(folded))
            index.insert(folded, rows.size());
        Person &p = rows.emplace_back();
        p.name = name.toString();
        return p;
    }
    static void add(Person &p, bool isNew, qint64 halves, Currency amount) {
        if (isNew) {
            p.newHalves += halves;
            p.newComm += amount;
        } else {
            p.usedHalves += halves;
            p.usedComm += amount;
        }
    }

    std::vector<Person> rows;
    QHash<QString, size_t> index;
};

} // namespace

ReportOutput DoCommRpt(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    ReportOutput out;
    const QString from = ReportSelection::conditionKey(c.BDT);
    const QString to = ReportSelection::conditionKey(c.EDT);
    const bool asmReport = c.PrtBy == ReportConditions::ASM;
    PersonTable table;
    const auto next = [&] { return policy.attempt([&] { deals.moveNext(); }); };

    // The deals come in date order: skip to the first of the range, stop after the last.
    bool going = policy.attempt([&] { deals.moveFirst(); });
    while (going && !deals.eof() && deals.dateKey(DateSold) < from)
        going = next();
    while (going && !deals.eof()) {
        const QString date = deals.dateKey(DateSold);
        if (date > to)
            break;
        if (!date.isEmpty())
            table.post(deals, asmReport);
        going = next();
    }
    if (!going) {
        out.cancelled = true;
        return out;
    }

    qint64 newHalves = 0, usedHalves = 0;
    Currency newComm, usedComm;
    const QString who = asmReport ? QStringLiteral("ASM") : QStringLiteral("Salesperson");
    out.sheet.name = QStringLiteral("Commission Report");
    out.sheet.columns = {{who, 20},
                         {QStringLiteral("New Units"), 10},
                         {QStringLiteral("Used Units"), 10},
                         {QStringLiteral("New Commissions"), 16},
                         {QStringLiteral("Used Commissions"), 16},
                         {QStringLiteral("Total Commissions"), 16}};
    ChartPlot chart{QStringLiteral("Commission per ") + who,
                    ChartPlot::Bars,
                    ChartPlot::Money,
                    {},
                    {{QStringLiteral("Total Commissions"), {}}}};
    const auto unitsCell = [](qint64 halves) {
        return SheetCell::ofUnits(Currency::fromUnits(halves * 5000));
    };
    for (const Person &p : table.people()) {
        out.sheet.rows << SheetRow{{SheetCell::ofText(p.name), unitsCell(p.newHalves),
                                    unitsCell(p.usedHalves), SheetCell::ofMoney(p.newComm),
                                    SheetCell::ofMoney(p.usedComm),
                                    SheetCell::ofMoney(p.newComm + p.usedComm)}};
        chart.categories << p.name;
        chart.series[0].values << (p.newComm + p.usedComm).toDouble();
        out.lines << ReportSelection::fit(p.name, 20) + QLatin1String("  ") + units(p.newHalves) +
                         QLatin1Char(' ') + units(p.usedHalves) + QLatin1String("   ") +
                         commission(p.newComm) + QLatin1String("   ") + commission(p.usedComm) +
                         QLatin1String("   ") + commission(p.newComm + p.usedComm);
        newHalves += p.newHalves;
        usedHalves += p.usedHalves;
        newComm += p.newComm;
        usedComm += p.usedComm;
    }
    const Currency total = newComm + usedComm;
    out.totals << qMakePair(QStringLiteral("lblCommTtl"),
                            units(newHalves) + QLatin1Char(' ') + units(usedHalves) +
                                QLatin1Char(' ') + commissionTotal(newComm) + QLatin1Char(' ') +
                                commissionTotal(usedComm) + QLatin1Char(' ') +
                                commissionTotal(total));
    out.sheet.rows << SheetRow{{SheetCell::ofText(QStringLiteral("Total")), unitsCell(newHalves),
                                unitsCell(usedHalves), SheetCell::ofMoney(newComm),
                                SheetCell::ofMoney(usedComm), SheetCell::ofMoney(total)},
                               true,
                               true};
    out.sheet.rows << SheetRow{{SheetCell::ofText(QStringLiteral("Average Commission")),
                                {},
                                {},
                                SheetCell::ofMoney(average(newComm, newHalves)),
                                SheetCell::ofMoney(average(usedComm, usedHalves)),
                                SheetCell::ofMoney(average(total, newHalves + usedHalves))},
                               false,
                               true};
    out.chart = {QStringLiteral("Commission Report"), {}, {chart}};
    out.totals << qMakePair(QStringLiteral("lblCommAv"),
                            commission(average(newComm, newHalves)) + QLatin1String("   ") +
                                commission(average(usedComm, usedHalves)) + QLatin1String("   ") +
                                commission(average(total, newHalves + usedHalves)));
    return out;
}
