#pragma once

#include "base/Format.h"

#include <QString>
#include <QStringList>

class ErrorTrap;

// The two figures the entry screen shows for the deal on screen; shown only, never stored.
struct DealTotals {
    Currency fiReserve, profit;
    QString fiReserveCaption, profitCaption; // "#####0.00", e.g. "585.50", "-123.45"
};

// The totals from the texts of the 44 boxes, by index (missing texts count as empty). Every
// term is the leading number of its box. A total whose sum overflows the currency range keeps
// its value from `previous`; the overflow is recorded in `trap` when one is given.
DealTotals CalcTotals(const QStringList &boxTexts, const DealTotals &previous = {},
                      ErrorTrap *trap = nullptr);
