#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <random>
#include <utility>
#include <vector>

// Realistic, reproducible deals for tests and benchmarks: both classes, several salespeople
// (shared "A/B" and "A/B/ASM" deals among them), blank fields, F&I products on some deals.
class DealGenerator {
public:
    DealGenerator(quint32 seed, int salespeople, QString stockPrefix);

    // The fields of the next deal, by field name.
    std::vector<std::pair<QString, QVariant>> next();

private:
    QString money(int low, int high, int blankPercent);
    bool chance(int percent);
    template <class List> const auto &pick(const List &list) {
        return list[std::uniform_int_distribution<int>(0, int(list.size()) - 1)(rng)];
    }

    std::mt19937 rng;
    QStringList salespeople;
    QString prefix;
    int serial = 0;
};
