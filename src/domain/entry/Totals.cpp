#include "domain/entry/Totals.h"

#include "base/ErrorTrap.h"
#include "domain/entry/EntryFormat.h"
#include "domain/entry/FieldTable.h"

#include <cmath>
#include <optional>

namespace {
using Amount = std::optional<Currency>; // nothing: the value overflowed the currency range

// The currency range is that of 64-bit ten-thousandths.
Amount toCurrency(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 922337203685477.5807)
        return std::nullopt;
    return Currency::fromDouble(value);
}

Amount operator+(Amount a, Amount b) {
    qint64 sum = 0;
    if (!a || !b || __builtin_add_overflow(a->tenThousandths(), b->tenThousandths(), &sum))
        return std::nullopt;
    return Currency::fromUnits(sum);
}

Amount operator-(Amount a, Amount b) {
    qint64 diff = 0;
    if (!a || !b || __builtin_sub_overflow(a->tenThousandths(), b->tenThousandths(), &diff))
        return std::nullopt;
    return Currency::fromUnits(diff);
}

Currency orPrevious(Amount value, Currency previous, ErrorTrap *trap) {
    if (value)
        return *value;
    if (trap)
        trap->record(QStringLiteral("Overflow"));
    return previous;
}
} // namespace

DealTotals CalcTotals(const QStringList &boxTexts, const DealTotals &previous, ErrorTrap *trap) {
    auto number = [&](int index) { return Val(boxTexts.value(index)); };
    auto amount = [&](int index) { return toCurrency(number(index)); };

    // The other profits and the commissions are summed as doubles, then converted once.
    double otherProfits = 0;
    for (int index : {36, 38, 40})
        otherProfits += number(index);
    double commissions = 0;
    for (int index : {27, 28, 29, 30})
        commissions += number(index);

    DealTotals totals;
    totals.fiReserve = orPrevious(amount(FieldTable::finRes) + amount(32) + amount(33) +
                                      amount(34) + toCurrency(otherProfits),
                                  previous.fiReserve, trap);
    // The pack is added, not subtracted; the other profits count once, inside the reserve.
    totals.profit = orPrevious(amount(FieldTable::unitProfit) + Amount(totals.fiReserve) +
                                   amount(FieldTable::pack) + amount(FieldTable::adminFee) -
                                   toCurrency(commissions),
                               previous.profit, trap);

    const QString mask = QStringLiteral("#####0.00");
    totals.fiReserveCaption = plainFormat(mask, QVariant::fromValue(totals.fiReserve));
    totals.profitCaption = plainFormat(mask, QVariant::fromValue(totals.profit));
    return totals;
}
