#pragma once

#include "domain/reports/BuildPolicy.h"
#include "domain/reports/DealSource.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

// The deals of one salesperson in a report made by salesperson.
struct SalespersonGroup {
    QString key;                 // spelled as its first deal spells it
    std::vector<qsizetype> rows; // its deals that pass, in the order of the selection
};

// Walks the deals once and groups those that pass by salesperson key, letter case aside, the
// groups in the order their keys are first met. The selection, ordered by the whole Salesman
// text, puts "ADAMS C" between "ADAMS" and "ADAMS/BAKER"; the deals of ADAMS still make one
// group. Nothing when a failing move was cancelled.
std::optional<std::vector<SalespersonGroup>>
groupBySalesperson(DealSource &deals, BuildPolicy &policy, const std::function<bool()> &passes);

// Visits every deal from the first; false when a failing move was cancelled.
bool walkDeals(DealSource &deals, BuildPolicy &policy, const std::function<void()> &visit);

// Visits the deals of a group in order, each made the current one; false when cancelled.
bool walkGroup(DealSource &deals, BuildPolicy &policy, const SalespersonGroup &group,
               const std::function<void()> &visit);
