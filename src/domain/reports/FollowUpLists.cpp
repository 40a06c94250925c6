#include "base/Format.h"
#include "domain/reports/Builders.h"
#include "domain/reports/ContactLists.h"
#include "domain/reports/ReportSelection.h"

#include <functional>

using namespace DealSchema;
using ReportSelection::rtrim;

namespace {
ReportOutput followUp(const ReportConditions &c, DealSource &deals, BuildPolicy &policy,
                      const std::function<bool()> &ownTest) {
    const auto passes = [&] {
        return ReportSelection::inDateRange(deals, c) && ownTest() &&
               ReportSelection::vehiclePasses(c, deals.text(NewUsed));
    };
    const auto entry = [](const DealSource &d, int, QStringList &lines) {
        lines << ContactLists::contactEntry(
            d, ContactLists::nameColumn(d.text(ByFirstMI), d.text(ByLName)), {});
    };
    const auto rows = [&](ReportOutput &out) {
        ContactLists::addContactRow(out, deals, deals.text(ByFirstMI), deals.text(ByLName));
    };
    return ContactLists::walk(c, deals, policy, passes, 3, entry, rows);
}
} // namespace

ReportOutput DoSrvCnt(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    // Eligible and no service contract sold yet: a reserve of 0, none or below 0.
    return followUp(c, deals, policy, [&] {
        return deals.text(SrvElig) == QLatin1String("Y") &&
               Currency::fromText(deals.text(SrvRes)).tenThousandths() <= 0;
    });
}

ReportOutput DoModel(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    const QString model = rtrim(c.Model);
    return followUp(c, deals, policy, [&] { return rtrim(deals.text(Model)) == model; });
}
