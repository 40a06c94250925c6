#include "BenchSupport.h"

#include "domain/sample/DealGenerator.h"
#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <algorithm>

double median(std::vector<double> timings) {
    std::sort(timings.begin(), timings.end());
    return timings[timings.size() / 2];
}

void fillWithDeals(const QString &path, int count) {
    createDealDatabase(path);
    auto db = Database::open(path);
    DealGenerator({7, 40, QStringLiteral("B")}).addTo(*db, count, count);
}

ReportConditions benchConditions(int report, int printBy) {
    ReportConditions c;
    c.report = report;
    c.PrtBy = printBy;
    const bool span = report == 7 || report == 8;
    c.BDT = span ? QStringLiteral("03/01/2000") : QStringLiteral("01/01/1900");
    c.EDT = span ? QStringLiteral("05/31/2000") : QStringLiteral("12/31/2026");
    c.Model = QStringLiteral("CAMRY");
    return c;
}
