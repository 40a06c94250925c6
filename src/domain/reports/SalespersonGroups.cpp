#include "domain/reports/SalespersonGroups.h"

#include "domain/reports/ReportSelection.h"

#include <QHash>

using namespace DealSchema;

bool walkDeals(DealSource &deals, BuildPolicy &policy, const std::function<void()> &visit) {
    if (!policy.attempt([&] { deals.moveFirst(); }))
        return false;
    while (!deals.eof()) {
        visit();
        if (!policy.attempt([&] { deals.moveNext(); }))
            return false;
    }
    return true;
}

std::optional<std::vector<SalespersonGroup>>
groupBySalesperson(DealSource &deals, BuildPolicy &policy, const std::function<bool()> &passes) {
    std::vector<SalespersonGroup> groups;
    QHash<QString, size_t> groupOf; // by the key in upper case
    qsizetype last = -1;            // the group of the deal before, as the deals run
    const bool walked = walkDeals(deals, policy, [&] {
        if (!passes())
            return;
        const QString key = ReportSelection::salespersonKey(deals.text(Salesman));
        if (last < 0 || !ReportSelection::sameKey(groups[last].key, key)) {
            const QString folded = key.toUpper();
            const auto found = groupOf.constFind(folded);
            if (found == groupOf.constEnd()) {
                groupOf.insert(folded, groups.size());
                last = qsizetype(groups.size());
                groups.push_back({key, {}});
            } else {
                last = qsizetype(*found);
            }
        }
        groups[last].rows.push_back(deals.position());
    });
    if (!walked)
        return std::nullopt;
    return groups;
}

bool walkGroup(DealSource &deals, BuildPolicy &policy, const SalespersonGroup &group,
               const std::function<void()> &visit) {
    for (const qsizetype row : group.rows) {
        if (!policy.attempt([&] { deals.moveTo(row); }))
            return false;
        visit();
    }
    return true;
}
