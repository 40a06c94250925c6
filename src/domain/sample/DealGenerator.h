#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <random>
#include <utility>
#include <vector>

class Database;

// Reproducible deals shaped like a busy office's, for a first look at the program, the tests
// and the benchmarks: both classes, salesperson names typed in any letter case ("JONES",
// "jones", "Jones"), deals shared by two salespeople ("A/B") or naming an ASM ("A/B/ASM"),
// blank fields, F&I products on some deals, and a few fleet deals whose amounts run to seven
// whole digits.
class DealGenerator {
public:
    struct Options {
        quint32 seed = 1;
        // Distinct salesperson keys, letter case aside (the ASMs come on top).
        int salespeople = 40;
        QString stockPrefix = QStringLiteral("S");
    };
    explicit DealGenerator(Options options);

    // The fields of the next deal, by field name.
    std::vector<std::pair<QString, QVariant>> next();

    // Adds count deals to the deal table of db, batch deals to a transaction.
    void addTo(Database &db, int count, int batch = 1000);

    // The salesperson names as first typed (upper case), one per key.
    const QStringList &salespeople() const { return names; }

private:
    QString money(int low, int high, int blankPercent);
    bool chance(int percent);
    template <class List> const auto &pick(const List &list) {
        return list[std::uniform_int_distribution<int>(0, int(list.size()) - 1)(rng)];
    }

    std::mt19937 rng;
    QStringList names;
    QString prefix;
    int serial = 0;
};
