#include "base/Format.h"
#include "domain/reports/Builders.h"
#include "domain/reports/DealFigures.h"
#include "domain/reports/ReportSelection.h"

#include <QHash>
#include <QMap>
#include <algorithm>
#include <vector>

using namespace DealSchema;
using ReportSelection::fit;
using ReportSelection::rtrim;

namespace {
// One F&I manager's or salesperson's deals.
struct Score {
    QString name;
    Tally tally;                  // deals, financed, products and income as the summary sums
    QHash<QString, qint64> other; // deals with an other profit, by its description in capitals
    qint64 products = 0;

    Currency productsPerDeal() const {
        if (tally.units <= 0)
            return {};
        return Currency::fromUnits((products * 200 + tally.units) / (2 * tally.units) * 100);
    }
    Currency incomePerUnit() const { return DealFigures::perUnit(tally.income(), tally.units); }
};

// The scores of one group, each name met once whatever its letter case.
class Scores {
public:
    Score &of(const QString &name) {
        const QString folded = name.toUpper();
        const auto found = index.constFind(folded);
        if (found != index.constEnd())
            return all[*found];
        index.insert(folded, all.size());
        Score &s = all.emplace_back();
        s.name = name;
        return s;
    }
    // Highest F&I income first; then more deals, then the name.
    std::vector<Score> ranked() const {
        std::vector<Score> sorted = all;
        std::stable_sort(sorted.begin(), sorted.end(), [](const Score &a, const Score &b) {
            const qint64 ia = a.tally.income().tenThousandths();
            const qint64 ib = b.tally.income().tenThousandths();
            if (ia != ib)
                return ia > ib;
            if (a.tally.units != b.tally.units)
                return a.tally.units > b.tally.units;
            return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
        });
        return sorted;
    }

private:
    std::vector<Score> all;
    QHash<QString, qsizetype> index;
};

// The other-profit descriptions met: in capitals, and as first spelled.
struct Products {
    QMap<QString, QString> other; // spelling by the description in capitals, in its order
};

const QString noDescription = QStringLiteral("OTHER");

QString pct7(Currency p) {
    return QLatin1Char(' ') + FormatUsing(QStringLiteral("##0.00"), QVariant::fromValue(p)) +
           QLatin1Char('%');
}

QString right(const QString &text, int width) {
    return text.left(width).rightJustified(width, QLatin1Char(' '));
}

class Board {
public:
    Board(const Products &products) : products(products) {}

    QStringList headings() const {
        QString top = QString(39, QLatin1Char(' ')) + right(QStringLiteral("Srv.Cnt"), 8) +
                      right(QStringLiteral("Cr.Life"), 8) + right(QStringLiteral("A&H"), 8);
        QString bottom = QStringLiteral("Rank ") + fit(QStringLiteral("Name"), 20) +
                         right(QStringLiteral("Deals"), 7) + right(QStringLiteral("Fin."), 7) +
                         QStringLiteral("       %       %       %");
        for (const QString &spelled : products.other) {
            top += right(spelled.left(7), 8);
            bottom += right(QStringLiteral("%"), 8);
        }
        top += right(QStringLiteral("Prod."), 7) + right(QStringLiteral("F&I Inc."), 11) +
               right(QStringLiteral("F&I"), 14);
        bottom += right(QStringLiteral("/Deal"), 7) + right(QStringLiteral("Per Unit"), 11) +
                  right(QStringLiteral("Income"), 14);
        return {top, bottom};
    }

    QString line(int rank, const Score &s) const {
        const Figures f = figuresOf(s.tally);
        const qint64 n = s.tally.units;
        QString text = (rank > 0 ? FormatUsing(QStringLiteral("###0"), rank) : QString(4, u' ')) +
                       QLatin1Char(' ') + fit(s.name, 20) + QLatin1Char(' ') +
                       FormatUsing(QStringLiteral("#####0"), qlonglong(n)) + QLatin1Char(' ') +
                       FormatUsing(QStringLiteral("#####0"), qlonglong(s.tally.financed));
        text += pct7(DealFigures::pct(s.tally.service, n)) +
                pct7(DealFigures::pct(s.tally.life, n)) +
                pct7(DealFigures::pct(s.tally.disability, n));
        for (auto it = products.other.keyBegin(); it != products.other.keyEnd(); ++it)
            text += pct7(DealFigures::pct(s.other.value(*it), n));
        text += QLatin1Char(' ') +
                FormatUsing(QStringLiteral("##0.00"), QVariant::fromValue(s.productsPerDeal())) +
                QLatin1Char(' ') +
                FormatUsing(QStringLiteral("###,##0.00"), QVariant::fromValue(s.incomePerUnit())) +
                QLatin1Char(' ') +
                FormatUsing(QStringLiteral("##,###,##0.00"), QVariant::fromValue(f.income));
        return text;
    }

    QList<SheetColumn> columns() const {
        QList<SheetColumn> c = {
            {QStringLiteral("Group"), 11},        {QStringLiteral("Rank"), 4},
            {QStringLiteral("Name"), 20},         {QStringLiteral("Deals"), 6},
            {QStringLiteral("Financed"), 6},      {QStringLiteral("Service Contract %"), 8},
            {QStringLiteral("Credit Life %"), 8}, {QStringLiteral("A&H %"), 8}};
        for (const QString &spelled : products.other)
            c << SheetColumn{spelled + QStringLiteral(" %"), 8};
        c << SheetColumn{QStringLiteral("Products Per Deal"), 6}
          << SheetColumn{QStringLiteral("F&I Income Per Unit"), 12}
          << SheetColumn{QStringLiteral("F&I Income"), 14};
        return c;
    }

    SheetRow row(const QString &group, int rank, const Score &s) const {
        const qint64 n = s.tally.units;
        SheetRow r;
        r.below = rank == 0;
        r.cells << SheetCell::ofText(group) << (rank > 0 ? SheetCell::ofCount(rank) : SheetCell())
                << SheetCell::ofText(s.name) << SheetCell::ofCount(n)
                << SheetCell::ofCount(s.tally.financed)
                << SheetCell::ofPercent(DealFigures::pct(s.tally.service, n))
                << SheetCell::ofPercent(DealFigures::pct(s.tally.life, n))
                << SheetCell::ofPercent(DealFigures::pct(s.tally.disability, n));
        for (auto it = products.other.keyBegin(); it != products.other.keyEnd(); ++it)
            r.cells << SheetCell::ofPercent(DealFigures::pct(s.other.value(*it), n));
        r.cells << SheetCell::ofPercent(s.productsPerDeal())
                << SheetCell::ofMoney(s.incomePerUnit()) << SheetCell::ofMoney(s.tally.income());
        return r;
    }

private:
    const Products &products;
};

void count(Score &s, const DealSource &deals, const QStringList &descriptions) {
    s.tally.count(deals);
    s.products += DealFigures::positive(deals.amount(SrvRes)) +
                  DealFigures::positive(deals.amount(LifeRes)) +
                  DealFigures::positive(deals.amount(AHRes));
    QStringList met;
    for (const QString &description : descriptions) {
        if (description.isNull())
            continue;
        ++s.products;
        if (!met.contains(description))
            met << description;
    }
    for (const QString &description : met)
        ++s.other[description];
}
} // namespace

ReportOutput DoScoreboard(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    ReportOutput out;
    const QString from = ReportSelection::conditionKey(c.BDT);
    const QString to = ReportSelection::conditionKey(c.EDT);
    Scores managers, salespeople;
    Score dealership;
    dealership.name = QStringLiteral("Dealership");
    Products products;
    const std::pair<int, int> profits[] = {{Prft1, PrftAmt1}, {Prft2, PrftAmt2}, {Prft3, PrftAmt3}};

    bool going = policy.attempt([&] { deals.moveFirst(); });
    while (going && !deals.eof()) {
        const QString key = deals.dateKey(DateSold);
        if (!key.isEmpty() && key >= from && key <= to &&
            ReportSelection::vehiclePasses(c, deals.text(NewUsed))) {
            // An other profit sold: an amount above 0, known by its description in capitals.
            QStringList descriptions;
            for (const auto &[description, amount] : profits) {
                if (!DealFigures::positive(deals.amount(amount))) {
                    descriptions << QString();
                    continue;
                }
                const QString spelled = deals.text(description).trimmed();
                const QString folded = spelled.isEmpty() ? noDescription : spelled.toUpper();
                if (!products.other.contains(folded))
                    products.other.insert(folded, spelled.isEmpty() ? noDescription : spelled);
                descriptions << folded;
            }
            const QString manager = deals.text(FIMgr).trimmed();
            count(managers.of(manager.isEmpty() ? QStringLiteral("BLANK") : manager), deals,
                  descriptions);
            count(salespeople.of(ReportSelection::salespersonKey(deals.text(Salesman))), deals,
                  descriptions);
            count(dealership, deals, descriptions);
        }
        going = policy.attempt([&] { deals.moveNext(); });
    }
    if (!going) {
        out.cancelled = true;
        return out;
    }

    const Board board(products);
    out.headings = board.headings();
    out.sheet.name = QStringLiteral("F&I Scoreboard");
    out.sheet.columns = board.columns();
    Chart chart{QStringLiteral("F&I Scoreboard"), {}, {}};
    const auto section = [&](const QString &title, const Scores &scores) {
        if (!out.lines.isEmpty())
            out.lines << QString();
        out.lines << title.toUpper();
        ChartPlot plot{QStringLiteral("F&I Income Per Unit by ") + title,
                       ChartPlot::Bars,
                       ChartPlot::Money,
                       {},
                       {{QStringLiteral("F&I Income Per Unit"), {}}}};
        int rank = 0;
        for (const Score &s : scores.ranked()) {
            out.lines << board.line(++rank, s);
            out.sheet.rows << board.row(title, rank, s);
            plot.categories << s.name;
            plot.series[0].values << s.incomePerUnit().toDouble();
        }
        chart.plots << plot;
    };
    section(QStringLiteral("F&I Manager"), managers);
    section(QStringLiteral("Salesperson"), salespeople);
    out.lines << QString() << board.line(0, dealership);
    out.sheet.rows << board.row(QStringLiteral("Dealership"), 0, dealership);
    out.chart = chart;
    return out;
}
