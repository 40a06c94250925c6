#include "base/Format.h"
#include "domain/reports/Builders.h"
#include "domain/reports/ReportSelection.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <optional>
#include <vector>

using namespace DealSchema;

namespace {

// The sums of one vehicle class in one block.
struct Tally {
    qint64 units = 0;
    qint64 financed = 0;
    qint64 service = 0;
    qint64 serviceEligible = 0;
    qint64 life = 0;
    qint64 disability = 0;
    qint64 insuranceEligible = 0;
    qint64 other = 0;
    Currency financeReserve;
    Currency serviceReserve;
    Currency lifeReserve;
    Currency disabilityReserve;
    Currency otherAmount;
    Currency pack;
    Currency gross;

    Tally operator+(const Tally &o) const {
        Tally t;
        t.units = units + o.units;
        t.financed = financed + o.financed;
        t.service = service + o.service;
        t.serviceEligible = serviceEligible + o.serviceEligible;
        t.life = life + o.life;
        t.disability = disability + o.disability;
        t.insuranceEligible = insuranceEligible + o.insuranceEligible;
        t.other = other + o.other;
        t.financeReserve = financeReserve + o.financeReserve;
        t.serviceReserve = serviceReserve + o.serviceReserve;
        t.lifeReserve = lifeReserve + o.lifeReserve;
        t.disabilityReserve = disabilityReserve + o.disabilityReserve;
        t.otherAmount = otherAmount + o.otherAmount;
        t.pack = pack + o.pack;
        t.gross = gross + o.gross;
        return t;
    }
};

// The per-unit and percent figures of one class.
struct Figures {
    Currency financedPct, otherPct, financePerUnit, otherPerUnit, packPerUnit, grossPerUnit;
    Currency servicePct, servicePerEligible;
    Currency lifePct, disabilityPct, lifePerEligible, disabilityPerEligible;
    Currency income, perUnitSum, incomePerUnit, totalProfit, totalProfitPerUnit;
};

// A term above one month is financed.
bool financed(const DealSource &deals) {
    return Val(deals.text(Term)) > 1;
}

bool positive(Currency c) {
    return c.tenThousandths() > 0;
}

qint64 floorDiv(qint64 a, qint64 b) { // b > 0
    const qint64 q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Int(x × 100 + 0.5) / 100 with x = amount / n, worked on whole numbers so that a sum such as
// 2.01 shared by two units gives 1.01 and not the 1.00 of its binary neighbour.
Currency round2(Currency amount, qint64 n) {
    if (n <= 0)
        return {};
    const qint64 cents = floorDiv(2 * amount.tenThousandths() + 100 * n, 200 * n);
    return Currency::fromUnits(cents * 100);
}

// Int(a / b × 10000 + 0.5) / 100.
Currency pct(qint64 a, qint64 b) {
    if (b <= 0)
        return {};
    return Currency::fromUnits(floorDiv(20000 * a + b, 2 * b) * 100);
}

// amount / n to the four decimals of a currency value.
Currency perUnit(Currency amount, qint64 n) {
    if (n <= 0)
        return {};
    const qint64 u = amount.tenThousandths();
    const qint64 q = (2 * (u < 0 ? -u : u) + n) / (2 * n);
    return Currency::fromUnits(u < 0 ? -q : q);
}

Figures figuresOf(const Tally &t) {
    Figures f;
    f.financedPct = pct(t.financed, t.units);
    f.otherPct = pct(t.other, t.units);
    f.financePerUnit = round2(t.financeReserve, t.units);
    f.otherPerUnit = round2(t.otherAmount, t.units);
    f.packPerUnit = round2(t.pack, t.units);
    f.grossPerUnit = round2(t.gross, t.units);
    f.servicePct = pct(t.service, t.serviceEligible);
    f.servicePerEligible = round2(t.serviceReserve, t.serviceEligible);
    f.lifePct = pct(t.life, t.insuranceEligible);
    f.disabilityPct = pct(t.disability, t.insuranceEligible);
    f.lifePerEligible = round2(t.lifeReserve, t.insuranceEligible);
    f.disabilityPerEligible = round2(t.disabilityReserve, t.insuranceEligible);
    f.income =
        t.financeReserve + t.serviceReserve + t.lifeReserve + t.disabilityReserve + t.otherAmount;
    f.perUnitSum = f.financePerUnit + f.servicePerEligible + f.lifePerEligible +
                   f.disabilityPerEligible + f.otherPerUnit;
    f.incomePerUnit = perUnit(f.income, t.units);
    f.totalProfit = f.income + t.pack + t.gross;
    f.totalProfitPerUnit = f.incomePerUnit + f.packPerUnit + f.grossPerUnit;
    return f;
}

void count(Tally &t, const DealSource &deals) {
    ++t.units;
    t.pack += deals.amount(Pack);
    t.gross += deals.amount(UnitPrft);
    if (financed(deals)) {
        ++t.financed;
        t.financeReserve += deals.amount(FinRes);
    }
    const Currency service = deals.amount(SrvRes);
    if (positive(service)) {
        ++t.service;
        t.serviceReserve += service;
    }
    if (deals.view(SrvElig) != u"N")
        ++t.serviceEligible;
    const Currency life = deals.amount(LifeRes);
    if (positive(life)) {
        ++t.life;
        t.lifeReserve += life;
    }
    const Currency disability = deals.amount(AHRes);
    if (positive(disability)) {
        ++t.disability;
        t.disabilityReserve += disability;
    }
    if (deals.view(LAHElig) != u"N")
        ++t.insuranceEligible;
    const Currency p1 = deals.amount(PrftAmt1);
    const Currency p2 = deals.amount(PrftAmt2);
    const Currency p3 = deals.amount(PrftAmt3);
    if (positive(p1) || positive(p2) || positive(p3)) {
        ++t.other;
        t.otherAmount += p1 + p2 + p3;
    }
}

QString n7(qint64 x) {
    return FormatUsing(QStringLiteral("######0"), qlonglong(x));
}
QString p6(Currency x) {
    return FormatUsing(QStringLiteral("##0.00"), QVariant::fromValue(x));
}
QString m9(Currency x) {
    return FormatUsing(QStringLiteral("#####0.00"), QVariant::fromValue(x));
}

QString countLine(const char *label, qint64 a, qint64 b, qint64 c, Currency p, Currency q,
                  Currency r) {
    return QLatin1String(label) + n7(a) + QLatin1String("   ") + n7(b) + QLatin1String("   ") +
           n7(c) + QLatin1String("    ") + p6(p) + QLatin1String("%   ") + p6(q) +
           QLatin1String("%   ") + p6(r) + QLatin1Char('%');
}

QString moneyLine(const char *label, Currency a, Currency b, Currency c, Currency p, Currency q,
                  Currency r) {
    return QLatin1String(label) + m9(a) + QLatin1Char(' ') + m9(b) + QLatin1Char(' ') + m9(c) +
           QLatin1String("  ") + m9(p) + QLatin1Char(' ') + m9(q) + QLatin1Char(' ') + m9(r);
}

void addBlock(ReportLines &lines, const Tally &nw, const Tally &used) {
    const Tally all = nw + used;
    const Figures n = figuresOf(nw), u = figuresOf(used), t = figuresOf(all);
    lines << QString(14, QLatin1Char(' ')) + QLatin1String("Sales  ") + n7(nw.units) +
                 QLatin1String("   ") + n7(used.units) + QLatin1String("   ") + n7(all.units);
    lines << countLine("           Financed  ", nw.financed, used.financed, all.financed,
                       n.financedPct, u.financedPct, t.financedPct);
    lines << countLine("   Service Contract  ", nw.service, used.service, all.service, n.servicePct,
                       u.servicePct, t.servicePct);
    lines << countLine("        Credit Life  ", nw.life, used.life, all.life, n.lifePct, u.lifePct,
                       t.lifePct);
    lines << countLine("  Credit Disability  ", nw.disability, used.disability, all.disability,
                       n.disabilityPct, u.disabilityPct, t.disabilityPct);
    lines << countLine("       Other Profit  ", nw.other, used.other, all.other, n.otherPct,
                       u.otherPct, t.otherPct);
    lines << QString() << QString();
    lines << QString(27, QLatin1Char(' ')) +
                 QLatin1String("Total F&I Income         F&I Income Per Retail Unit");
    lines << moneyLine("    Finance Reserve ", nw.financeReserve, used.financeReserve,
                       all.financeReserve, n.financePerUnit, u.financePerUnit, t.financePerUnit);
    lines << moneyLine("  Srv. Cnt. Reserve ", nw.serviceReserve, used.serviceReserve,
                       all.serviceReserve, n.servicePerEligible, u.servicePerEligible,
                       t.servicePerEligible);
    lines << moneyLine("Credit Life Reserve ", nw.lifeReserve, used.lifeReserve, all.lifeReserve,
                       n.lifePerEligible, u.lifePerEligible, t.lifePerEligible);
    lines << moneyLine("        A&H Reserve ", nw.disabilityReserve, used.disabilityReserve,
                       all.disabilityReserve, n.disabilityPerEligible, u.disabilityPerEligible,
                       t.disabilityPerEligible);
    lines << moneyLine("       Other Profit ", nw.otherAmount, used.otherAmount, all.otherAmount,
                       n.otherPerUnit, u.otherPerUnit, t.otherPerUnit);
    lines << moneyLine("         F&I Profit ", n.income, u.income, t.income, n.perUnitSum,
                       u.perUnitSum, t.perUnitSum);
    lines << QString() << QString();
    lines << QString(28, QLatin1Char(' ')) +
                 QLatin1String("Total Income               Total Income Per Unit");
    lines << moneyLine("          Total F&I ", n.income, u.income, t.income, n.incomePerUnit,
                       u.incomePerUnit, t.incomePerUnit);
    lines << moneyLine("         Total Pack ", nw.pack, used.pack, all.pack, n.packPerUnit,
                       u.packPerUnit, t.packPerUnit);
    lines << moneyLine("Total Net Prft(Veh) ", nw.gross, used.gross, all.gross, n.grossPerUnit,
                       u.grossPerUnit, t.grossPerUnit);
    lines << moneyLine("       Total Profit ", n.totalProfit, u.totalProfit, t.totalProfit,
                       n.totalProfitPerUnit, u.totalProfitPerUnit, t.totalProfitPerUnit);
}

QString header(const QString &key) {
    return key + QLatin1String(" (Salesman) ") +
           QString(std::max<qsizetype>(0, 80 - key.size() - 12), QLatin1Char('-'));
}

// The date test with the condition dates turned into keys once, not once per deal.
struct DateTest {
    explicit DateTest(const ReportConditions &c)
        : from(ReportSelection::conditionKey(c.BDT)), to(ReportSelection::conditionKey(c.EDT)) {}
    bool passes(const DealSource &deals) const {
        const QString key = deals.dateKey(DateSold);
        return !key.isEmpty() && key >= from && key <= to;
    }
    QString from, to;
};

// Visits every deal from the first with its row number; false when a failing move was cancelled.
template <class Visit> bool walk(DealSource &deals, BuildPolicy &policy, Visit &&visit) {
    if (!policy.attempt([&] { deals.moveFirst(); }))
        return false;
    for (qsizetype row = 0; !deals.eof(); ++row) {
        visit(row);
        if (!policy.attempt([&] { deals.moveNext(); }))
            return false;
    }
    return true;
}

void countInto(Tally &nw, Tally &used, const DealSource &deals) {
    const QStringView cls = deals.view(NewUsed);
    if (cls == u"N")
        count(nw, deals);
    else if (cls == u"U")
        count(used, deals);
}

} // namespace

ReportOutput DoSummary(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    ReportOutput out;
    const DateTest dates(c);
    Tally nw, used;

    if (c.PrtBy != ReportConditions::Salesperson) {
        const bool done = walk(deals, policy, [&](qsizetype) {
            if (dates.passes(deals))
                countInto(nw, used, deals);
        });
        if (!done) {
            out.cancelled = true;
            return out;
        }
        addBlock(out.lines, nw, used);
        return out;
    }

    // One walk: the deals in range are summed by their Salesman text (letter case aside), and
    // the keys are listed once each, in the order first met. A block then adds up the texts
    // that begin with its key, so a key such as JO also takes the deals of JONES.
    struct Text {
        QString salesman;
        Tally nw, used;
    };
    std::vector<Text> texts;
    QHash<QString, qsizetype> textIndex; // by the text in upper case
    QSet<QString> keysMet;               // in upper case
    qsizetype last = -1;                 // the text of the deal before, as the deals run
    const bool listed = walk(deals, policy, [&](qsizetype) {
        if (!dates.passes(deals))
            return;
        const QStringView salesman = deals.view(Salesman);
        if (last < 0 || !ReportSelection::sameKey(texts[last].salesman, salesman)) {
            const QString folded = salesman.toString().toUpper();
            const auto found = textIndex.constFind(folded);
            if (found == textIndex.constEnd()) {
                last = qsizetype(texts.size());
                texts.push_back({salesman.toString(), {}, {}});
                textIndex.insert(folded, last);
                const QString key = ReportSelection::salespersonKey(texts.back().salesman);
                if (!keysMet.contains(key.toUpper())) {
                    keysMet.insert(key.toUpper());
                    out.salespeople << key;
                }
            } else {
                last = *found;
            }
        }
        countInto(texts[last].nw, texts[last].used, deals);
    });
    if (!listed) {
        out.cancelled = true;
        return out;
    }
    if (out.salespeople.isEmpty()) { // no deal in range: one block of zeros
        addBlock(out.lines, nw, used);
        return out;
    }
    // A text belongs to the blocks whose keys begin it: look its beginnings up among the keys.
    QMultiHash<QString, qsizetype> blockOf; // by the key in upper case
    for (qsizetype i = 0; i < out.salespeople.size(); ++i)
        blockOf.insert(out.salespeople.at(i).toUpper(), i);
    std::vector<Tally> blockNew(out.salespeople.size()), blockUsed(out.salespeople.size());
    for (const Text &text : texts) {
        const QString folded = text.salesman.toUpper();
        const QString blank = QStringLiteral("BLANK");
        for (qsizetype length = 0; length <= folded.size(); ++length) {
            const QString beginning = length == 0 ? blank : folded.left(length);
            for (auto it = blockOf.constFind(beginning);
                 it != blockOf.constEnd() && it.key() == beginning; ++it) {
                // The look-up finds the candidates; membership itself decides.
                if ((length == 0) == (out.salespeople.at(*it) == blank) &&
                    ReportSelection::inBlock(out.salespeople.at(*it), text.salesman)) {
                    blockNew[*it] = blockNew[*it] + text.nw;
                    blockUsed[*it] = blockUsed[*it] + text.used;
                }
            }
        }
    }
    for (qsizetype i = 0; i < out.salespeople.size(); ++i) {
        if (i > 0)
            out.lines << QString();
        out.lines << header(out.salespeople.at(i));
        addBlock(out.lines, blockNew[i], blockUsed[i]);
    }
    return out;
}
