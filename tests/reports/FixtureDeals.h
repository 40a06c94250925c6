#pragma once

#include "reports/DealSource.h"
#include "store/DealSchema.h"

#include <QMap>
#include <QVector>

// Deals for report tests, in the order given: each is a map of field to stored text (dates as
// yyyy-mm-dd, absent fields Null). failAt makes the given moveNext calls fail, counting from 1.
class FixtureDeals : public DealSource {
public:
    using Deal = QMap<int, QString>;
    explicit FixtureDeals(QVector<Deal> deals = {}) : deals(std::move(deals)) {}

    void add(const Deal &deal) { deals.append(deal); }
    QVector<int> failAt;

    void moveFirst() override { pos = 0; }
    void moveNext() override {
        ++moves;
        if (failAt.contains(moves))
            throw StoreError(StoreError::Kind::Busy, QStringLiteral("The deal database is busy."));
        ++pos;
    }
    bool eof() const override { return pos >= deals.size(); }
    QStringView view(int field) const override {
        const auto it = deals.at(pos).constFind(field);
        return it == deals.at(pos).constEnd() ? QStringView() : QStringView(*it);
    }
    bool isNull(int field) const override { return !deals.at(pos).contains(field); }

private:
    QVector<Deal> deals;
    qsizetype pos = 0;
    int moves = 0;
};

// A deal written as "Field=text|Field=text", e.g. "DateSold=2024-01-05|NewUsed=N".
inline FixtureDeals::Deal deal(const QString &spec) {
    FixtureDeals::Deal d;
    for (const QString &item : spec.split(u'|', Qt::SkipEmptyParts)) {
        const QString name = item.section(u'=', 0, 0);
        int field = 0;
        while (field < DealSchema::fieldCount() && DealSchema::fields().at(field).name != name)
            ++field;
        Q_ASSERT_X(field < DealSchema::fieldCount(), "deal", qPrintable(name));
        d.insert(field, item.section(u'=', 1));
    }
    return d;
}
