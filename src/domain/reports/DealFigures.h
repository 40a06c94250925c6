#pragma once

#include "base/Format.h"

class DealSource;

// What the F&I office earned on a set of deals, summed as the summary analysis sums it: the
// same counts and amounts serve the summary, the trend and the scoreboard.
struct Tally {
    qint64 units = 0;
    qint64 financed = 0; // a term above one month
    qint64 service = 0;  // a service reserve above 0
    qint64 serviceEligible = 0;
    qint64 life = 0;
    qint64 disability = 0;
    qint64 insuranceEligible = 0;
    qint64 other = 0; // deals with an other profit above 0
    Currency financeReserve;
    Currency serviceReserve;
    Currency lifeReserve;
    Currency disabilityReserve;
    Currency otherAmount;
    Currency pack;
    Currency gross;

    Tally operator+(const Tally &o) const { return Tally(*this) += o; }
    Tally &operator+=(const Tally &o);
    // Counts the deal under the cursor.
    void count(const DealSource &deals);
    // Finance, service, credit life and A&H reserves and other profit.
    Currency income() const {
        return financeReserve + serviceReserve + lifeReserve + disabilityReserve + otherAmount;
    }
};

// The per-unit and percent figures of a tally, rounded as the summary rounds them.
struct Figures {
    Currency financedPct, otherPct, financePerUnit, otherPerUnit, packPerUnit, grossPerUnit;
    Currency servicePct, servicePerEligible;
    Currency lifePct, disabilityPct, lifePerEligible, disabilityPerEligible;
    Currency income, perUnitSum, incomePerUnit, totalProfit, totalProfitPerUnit;
};
Figures figuresOf(const Tally &t);

namespace DealFigures {
// Int(a / b × 10000 + 0.5) / 100: a percent to the cent; 0 when b is not above 0.
Currency pct(qint64 a, qint64 b);
// Int(amount / n × 100 + 0.5) / 100; 0 when n is not above 0.
Currency round2(Currency amount, qint64 n);
// amount / n to the four decimals of a currency value; 0 when n is not above 0.
Currency perUnit(Currency amount, qint64 n);
// Whether a deal's amount counts as a sale: above 0.
inline bool positive(Currency c) {
    return c.tenThousandths() > 0;
}
} // namespace DealFigures
