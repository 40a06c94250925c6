#pragma once

#include "domain/reports/ReportConditions.h"

#include <QString>
#include <vector>

// What the benchmarks share: the median of a run of timings, and a database of generated deals.
double median(std::vector<double> timings);
// A new deal database at path holding count generated deals (40 salespeople, seed 7).
void fillWithDeals(const QString &path, int count);
// The conditions a benchmark builds a report with: the whole date range, or a spring span for
// the anniversary and birth date lists.
ReportConditions benchConditions(int report, int printBy);
