#pragma once

#include <QString>
#include <vector>

// What the benchmarks share: the median of a run of timings, and a database of generated deals.
double median(std::vector<double> timings);
// A new deal database at path holding count generated deals (40 salespeople, seed 7).
void fillWithDeals(const QString &path, int count);
