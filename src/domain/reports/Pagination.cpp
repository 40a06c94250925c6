#include "domain/reports/Pagination.h"

#include "base/Format.h"
#include "domain/reports/ReportSelection.h"
#include "domain/reports/Reports.h"

#include <QDate>
#include <optional>
#include <vector>

using ReportSelection::rtrim;
using Header = PageLayout::Header;
using Step = PageLayout::Step;
using Totals = PageLayout::Totals;

namespace {
const QString salesmanMark = QStringLiteral("(Salesman)");

// A printed line whose texts stand at given columns (counted from 1). A text that would start
// left of its column's place, because the line is already longer, simply follows.
class Columns {
public:
    Columns &at(int column, const QString &text) {
        if (line.size() < column - 1)
            line.resize(column - 1, QLatin1Char(' '));
        line += text;
        return *this;
    }
    Columns &then(const QString &text) {
        line += text;
        return *this;
    }
    operator QString() const { return line; }

private:
    QString line;
};

// The salesperson of a group line: the text before the blank in front of "(Salesman)".
QString groupName(const QString &line) {
    const qsizetype mark = line.indexOf(salesmanMark);
    return rtrim(line.left(qMax<qsizetype>(0, mark - 1)));
}

QString totalOf(const PrintRun &run, const QString &label) {
    for (const auto &[name, caption] : run.totals) {
        if (name == label)
            return rtrim(caption);
    }
    return {};
}

// Lays a run's list out page by page: the position in the list, the page and its line counter.
class Paginator {
public:
    Paginator(const PrintRun &run, const PageLayout &layout, const PageTaker &take)
        : run(run), lay(layout), take(take),
          compressed(run.compressed && layout.header == Header::FILog) {}

    void pages() {
        if (run.lines.isEmpty())
            return;
        const bool bySalesperson = lay.salespersons && run.bySalesperson;
        const QString chosen = rtrim(run.salesperson);
        const bool one = bySalesperson && chosen != QLatin1String("ALL");
        bool totalsWanted = false;
        if (bySalesperson)
            current = one ? spelled(chosen) : run.salespeople.value(0);
        else
            totalsWanted = lay.totals != Totals::None;

        const qsizetype end = run.lines.size();
        bool firstPass = true;
        bool pageEndMade = false;
        do {
            // The page made last is complete once another begins.
            if (made && !take(open, false))
                return;
            // The page's list keeps its room for the next.
            open.number = page;
            open.lines.clear();
            open.pageEnd = false;
            made = true;
            printHeader();
            counter = 1;
            if (firstPass && one) {
                // Printing starts at the chosen salesperson's group line; without one the
                // printout is the page header alone.
                while (pos < end &&
                       !(lines.at(pos).contains(salesmanMark) &&
                         ReportSelection::sameKey(groupName(rtrim(lines.at(pos))), chosen)))
                    ++pos;
                if (pos >= end)
                    break;
            }
            firstPass = false;
            pageEndMade = false;
            bool pageEnd = false;
            do {
                const QString text = rtrim(lines.at(pos));
                if (lay.salespersons && text.contains(salesmanMark)) {
                    ++pos;
                    const QString name = groupName(text);
                    if (!ReportSelection::sameKey(name, current)) {
                        if (one) {
                            pos = end;
                        } else {
                            pageEnd = true;
                            ++page;
                            current = name;
                        }
                    }
                } else if (lay.skipEmpty && text.isEmpty()) {
                    ++pos;
                } else {
                    printStep(text);
                }
                if (lay.pageLimit > 0 && counter + lay.lookAhead >= lay.pageLimit) {
                    pageEnd = true;
                    ++page;
                }
                if (totalsWanted && pageEnd && pos >= end) {
                    printTotals();
                    totalsWanted = false;
                    pageEnd = false;
                }
                if (pageEnd) {
                    pageEndMade = true;
                    open.pageEnd = true;
                }
            } while (pos < end && !pageEndMade);
        } while (pos < end);
        if (totalsWanted && !pageEndMade)
            printTotals();
        take(open, true);
    }

private:
    void line(const QString &text) { open.lines.append(text); }

    // A chosen salesperson as the report spells it, whatever the letter case it was typed in.
    QString spelled(const QString &chosen) const {
        for (const QString &name : run.salespeople) {
            if (ReportSelection::sameKey(name, chosen))
                return name;
        }
        return chosen;
    }

    void printStep(const QString &text) {
        switch (lay.step) {
        case Step::Line:
            line(text);
            ++pos;
            ++counter;
            break;
        case Step::Block:
        case Step::Entry:
            // The entry's first line is printed as the line at the position is taken: without
            // its trailing blanks.
            line(text);
            ++pos;
            for (int i = 1; i < lay.stepLines && pos < run.lines.size(); ++i)
                line(lines.at(pos++));
            if (lay.step == Step::Entry)
                counter += lay.stepLines;
            break;
        case Step::Deal:
            line(Columns().then(text + QLatin1Char(' ')).at(63, lines.value(pos + 1).right(72)));
            pos += 3;
            ++counter;
            break;
        }
    }

    // A line of the page header alike on every page, laid out for the first: thousands of
    // salespeople make thousands of pages.
    template <class Make> void same(size_t n, Make make) {
        if (sameLines.size() <= n)
            sameLines.resize(n + 1);
        if (!sameLines[n])
            sameLines[n] = make();
        line(*sameLines[n]);
    }

    void printHeader() {
        const PrintCaptions &c = run.captions;
        const QString pageText = QStringLiteral("Page: ") + QString::number(page);
        const auto dates = [&] {
            return c.from + u' ' + c.beginDate + u' ' + c.to + u' ' + c.endDate +
                   QStringLiteral("   ") + c.vehicleClass;
        };
        if (lay.header == Header::FILog) {
            if (compressed)
                line(QStringLiteral("\x12\x0f"));
            QString first =
                today + QStringLiteral("   ") + run.dealerName + QStringLiteral("  F & I    L O G");
            if (!current.isEmpty())
                first += QStringLiteral("  (") + current + u')';
            line(first);
            line(QString());
            line(Columns()
                     .at(8, QStringLiteral("F&I MGR ") + c.fiManager)
                     .at(30, dates())
                     .at(115, pageText));
            line(QString());
            same(0, [] {
                return Columns()
                    .at(58, QStringLiteral("Fin."))
                    .at(78, QStringLiteral("Fin."))
                    .at(86, QStringLiteral("Srv. Cnt."))
                    .at(97, QStringLiteral("Credit"))
                    .at(118, QStringLiteral("Other"))
                    .at(129, QStringLiteral("Deal"));
            });
            same(1, [] {
                return Columns()
                    .at(1, QStringLiteral("Date"))
                    .at(7, QStringLiteral("Name"))
                    .at(23, QStringLiteral("Stock #"))
                    .at(32, QStringLiteral("Vehicle Description"))
                    .at(58, QStringLiteral("Src."))
                    .at(63, QStringLiteral("Term"))
                    .at(68, QStringLiteral("APR"))
                    .at(77, QStringLiteral("Reserve"))
                    .at(87, QStringLiteral("Reserve"))
                    .at(98, QStringLiteral("Life"))
                    .at(105, QStringLiteral("Disability"))
                    .at(117, QStringLiteral("Profit"))
                    .at(128, QStringLiteral("Total"));
            });
            return;
        }
        QString first = today + QStringLiteral("   ") + run.dealerName;
        if (!current.isEmpty())
            first += QStringLiteral(" (") + current + u')';
        line(first);
        line(QString());
        same(0, [&] { return Columns().at(20, c.title); });
        line(Columns().at(68, pageText));
        same(1, [&] { return Columns().at(20, dates()); });
        line(QString());
        switch (lay.header) {
        case Header::GSR:
            same(2, [] {
                return Columns()
                    .at(1, QStringLiteral("Date"))
                    .at(7, QStringLiteral("Name"))
                    .at(18, QStringLiteral("Vehicle Description"))
                    .at(55, QStringLiteral("Gross"))
                    .at(66, QStringLiteral("Pack"))
                    .at(76, QStringLiteral("Net"));
            });
            break;
        case Header::Comm:
            same(2, [] {
                return Columns()
                    .at(26, QStringLiteral("Total"))
                    .at(36, QStringLiteral("Total"))
                    .at(45, QStringLiteral("Total New"))
                    .at(58, QStringLiteral("Total Used"))
                    .at(73, QStringLiteral("Total"));
            });
            same(3, [&] {
                return Columns()
                    .at(1, c.nameHeading.left(8))
                    .at(27, QStringLiteral("New"))
                    .at(37, QStringLiteral("Used"))
                    .at(44, QStringLiteral("Commissions"))
                    .at(57, QStringLiteral("Commissions"))
                    .at(70, QStringLiteral("Commissions"));
            });
            break;
        case Header::Summary:
            same(2, [] {
                return Columns()
                    .at(9, QStringLiteral("Totals"))
                    .at(25, QStringLiteral("New"))
                    .at(34, QStringLiteral("Used"))
                    .at(43, QStringLiteral("Total"))
                    .at(56, QStringLiteral("New"))
                    .at(65, QStringLiteral("Used"))
                    .at(74, QStringLiteral("Total"));
            });
            break;
        case Header::Table:
            for (const QString &heading : run.headings)
                line(heading);
            break;
        default:
            break;
        }
    }

    void printTotals() {
        switch (lay.totals) {
        case Totals::GSR:
            line(Columns().at(46, QStringLiteral("Total ") + totalOf(run, "lblGSRTtl")));
            break;
        case Totals::Comm:
            line(Columns().at(17, QStringLiteral("Total ") + totalOf(run, "lblCommTtl")));
            line(QString());
            line(Columns().at(26,
                              QStringLiteral("Average Commission ") + totalOf(run, "lblCommAv")));
            break;
        case Totals::FILog:
            line(Columns().at(69, QStringLiteral("Total  ") + totalOf(run, "lblFILogTtl")));
            break;
        case Totals::None:
            break;
        }
    }

    const PrintRun &run;
    const PageLayout &lay;
    const PageTaker &take;
    ReportLines::InOrder lines{run.lines};
    const bool compressed; // the F&I log's control characters
    // The date every page header shows, laid out once: thousands of blocks make many pages.
    const QString today = formatDate(QDate::fromString(run.todayText, QStringLiteral("MM/dd/yyyy")),
                                     QStringLiteral("mmm d, yyyy"));
    PrintedPage open;  // the page being made
    bool made = false; // a page was begun
    int page = 1;
    int counter = 0;
    qsizetype pos = 0;
    QString current;
    std::vector<std::optional<QString>> sameLines; // by their number in same()
};
} // namespace

void paginate(const PrintRun &run, const PageTaker &take) {
    const ReportDescriptor *report = reportDescriptor(run.report);
    if (report == nullptr || report->layout.header == Header::None)
        return;
    Paginator(run, report->layout, take).pages();
}

QList<PrintedPage> paginate(const PrintRun &run) {
    QList<PrintedPage> pages;
    paginate(run, [&](const PrintedPage &page, bool) {
        pages.append(page);
        return true;
    });
    return pages;
}
