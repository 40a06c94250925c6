#include "domain/reports/DealFigures.h"

#include "domain/reports/DealSource.h"

using namespace DealSchema;
using namespace DealFigures;

namespace {
qint64 floorDiv(qint64 a, qint64 b) { // b > 0
    const qint64 q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
} // namespace

// Worked on whole numbers so that a sum such as 2.01 shared by two units gives 1.01 and not
// the 1.00 of its binary neighbour.
Currency DealFigures::round2(Currency amount, qint64 n) {
    if (n <= 0)
        return {};
    const qint64 cents = floorDiv(2 * amount.tenThousandths() + 100 * n, 200 * n);
    return Currency::fromUnits(cents * 100);
}

Currency DealFigures::pct(qint64 a, qint64 b) {
    if (b <= 0)
        return {};
    return Currency::fromUnits(floorDiv(20000 * a + b, 2 * b) * 100);
}

Currency DealFigures::perUnit(Currency amount, qint64 n) {
    if (n <= 0)
        return {};
    const qint64 u = amount.tenThousandths();
    const qint64 q = (2 * (u < 0 ? -u : u) + n) / (2 * n);
    return Currency::fromUnits(u < 0 ? -q : q);
}

Tally &Tally::operator+=(const Tally &o) {
    units += o.units;
    financed += o.financed;
    service += o.service;
    serviceEligible += o.serviceEligible;
    life += o.life;
    disability += o.disability;
    insuranceEligible += o.insuranceEligible;
    other += o.other;
    financeReserve += o.financeReserve;
    serviceReserve += o.serviceReserve;
    lifeReserve += o.lifeReserve;
    disabilityReserve += o.disabilityReserve;
    otherAmount += o.otherAmount;
    pack += o.pack;
    gross += o.gross;
    return *this;
}

void Tally::count(const DealSource &deals) {
    ++units;
    pack += deals.amount(Pack);
    gross += deals.amount(UnitPrft);
    // The term read where it lies, without a copy: every deal has one.
    const QStringView term = deals.view(Term);
    if (Val(QString::fromRawData(term.data(), term.size())) > 1) {
        ++financed;
        financeReserve += deals.amount(FinRes);
    }
    const Currency srv = deals.amount(SrvRes);
    if (positive(srv)) {
        ++service;
        serviceReserve += srv;
    }
    if (deals.view(SrvElig) != u"N")
        ++serviceEligible;
    const Currency lifeAmount = deals.amount(LifeRes);
    if (positive(lifeAmount)) {
        ++life;
        lifeReserve += lifeAmount;
    }
    const Currency ah = deals.amount(AHRes);
    if (positive(ah)) {
        ++disability;
        disabilityReserve += ah;
    }
    if (deals.view(LAHElig) != u"N")
        ++insuranceEligible;
    const Currency p1 = deals.amount(PrftAmt1);
    const Currency p2 = deals.amount(PrftAmt2);
    const Currency p3 = deals.amount(PrftAmt3);
    if (positive(p1) || positive(p2) || positive(p3)) {
        ++other;
        otherAmount += p1 + p2 + p3;
    }
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
    f.income = t.income();
    f.perUnitSum = f.financePerUnit + f.servicePerEligible + f.lifePerEligible +
                   f.disabilityPerEligible + f.otherPerUnit;
    f.incomePerUnit = perUnit(f.income, t.units);
    f.totalProfit = f.income + t.pack + t.gross;
    f.totalProfitPerUnit = f.incomePerUnit + f.packPerUnit + f.grossPerUnit;
    return f;
}
