#include "base/Format.h"
#include "domain/reports/Builders.h"
#include "domain/reports/ContactLists.h"
#include "domain/reports/ReportSelection.h"
#include "domain/reports/SalespersonGroups.h"

#include <functional>

using namespace DealSchema;
using ReportSelection::fit;
using ReportSelection::rtrim;

// Shared with the follow-up lists (FollowUpLists.cpp), which declare what they use.
namespace ContactLists {

QString nameColumn(const QString &firstMI, const QString &lastName) {
    return fit(rtrim(firstMI) + u' ' + lastName, 31);
}

// The three lines of a contact entry: name and telephone (with whatever follows them), the
// address, the vehicle.
QStringList contactEntry(const DealSource &d, const QString &name, const QString &after) {
    return {name + QString(5, u' ') + d.text(ByPhone) + after,
            QStringLiteral("   ") + rtrim(d.text(ByAdr)) + QStringLiteral(", ") +
                rtrim(d.text(ByCity)) + QStringLiteral(", ") + d.text(ByStateZip),
            QStringLiteral("   ") + d.text(Year) + u' ' + d.text(Make) + u' ' + d.text(Model)};
}

void addContactRow(ReportOutput &out, const DealSource &d, const QString &firstMI,
                   const QString &lastName, const QString &birthDate) {
    if (out.sheet.isEmpty())
        return;
    SheetRow row{{SheetCell::ofDate(d.date(DateSold)),
                  SheetCell::ofText(ReportSelection::salespersonKey(d.text(Salesman))),
                  SheetCell::ofText(rtrim(firstMI)), SheetCell::ofText(rtrim(lastName)),
                  SheetCell::ofText(rtrim(d.text(ByPhone))),
                  SheetCell::ofText(rtrim(d.text(ByAdr))), SheetCell::ofText(rtrim(d.text(ByCity))),
                  SheetCell::ofText(rtrim(d.text(ByStateZip))), SheetCell::ofText(d.text(Year)),
                  SheetCell::ofText(rtrim(d.text(Make))), SheetCell::ofText(rtrim(d.text(Model)))}};
    if (!birthDate.isNull()) {
        QDate born = QDate::fromString(birthDate.trimmed(), QStringLiteral("MM/dd/yyyy"));
        if (!born.isValid())
            born = QDate::fromString(birthDate.trimmed(), QStringLiteral("M/d/yyyy"));
        row.cells << (born.isValid() ? SheetCell::ofDate(born) : SheetCell());
    }
    out.sheet.rows << row;
}

namespace {
// The spreadsheet of a customer list; the birth date list adds the birth date.
ReportSheet contactSheet(int report) {
    ReportSheet sheet;
    const QList<QPair<int, QString>> names = {{5, QStringLiteral("Customer File")},
                                              {7, QStringLiteral("Purchase Anniversary")},
                                              {8, QStringLiteral("Birth Date")},
                                              {9, QStringLiteral("Service Contract Follow Up")},
                                              {10, QStringLiteral("Model")}};
    for (const auto &[number, name] : names) {
        if (number == report)
            sheet.name = name;
    }
    sheet.columns = {{QStringLiteral("Date Sold"), 10},  {QStringLiteral("Salesperson"), 20},
                     {QStringLiteral("First Name"), 15}, {QStringLiteral("Last Name"), 15},
                     {QStringLiteral("Telephone"), 14},  {QStringLiteral("Address"), 30},
                     {QStringLiteral("City"), 15},       {QStringLiteral("State ZIP"), 10},
                     {QStringLiteral("Year"), 4},        {QStringLiteral("Make"), 12},
                     {QStringLiteral("Model"), 12}};
    if (report == 8)
        sheet.columns << SheetColumn{QStringLiteral("Birth Date"), 10};
    return sheet;
}
} // namespace

// Walks the deals in order and adds the entry of each one that passes; by salesperson, each
// salesperson's entries together, headed by a group line.
ReportOutput walk(const ReportConditions &c, DealSource &deals, BuildPolicy &policy,
                  const std::function<bool()> &selected, int linesPerEntry,
                  ReportLines::Entry entry, const std::function<void(ReportOutput &)> &rows,
                  const std::function<void(ReportLines &)> &listed) {
    const std::function<bool()> passes = [&] {
        return ReportSelection::hasCustomer(deals) && selected();
    };
    ReportOutput out;
    if (c.dealRows)
        out.sheet = contactSheet(c.report);
    out.lines.listDeals(deals.reader(), linesPerEntry, std::move(entry));
    const auto add = [&] {
        listed ? listed(out.lines) : out.lines.addEntry(deals);
        if (!out.sheet.isEmpty())
            rows(out);
    };
    if (c.PrtBy != ReportConditions::Salesperson) {
        out.cancelled = !walkDeals(deals, policy, [&] {
            if (passes())
                add();
        });
        return out;
    }
    const auto groups = groupBySalesperson(deals, policy, passes);
    if (!groups) {
        out.cancelled = true;
        return out;
    }
    for (const SalespersonGroup &group : *groups) {
        if (!out.salespeople.isEmpty())
            out.lines.append(QString());
        out.lines.append(group.key + QStringLiteral(" (Salesman)"));
        out.salespeople.append(group.key);
        if (!walkGroup(deals, policy, group, add)) {
            out.cancelled = true;
            break;
        }
    }
    return out;
}

} // namespace ContactLists

namespace {
// A condition date or a birth date (month/day/year text) formatted with mask; a text that is
// no date is compared and shown as it is.
QString asDate(const QString &text, const QString &mask) {
    // Birth dates are stored as mm/dd/yyyy: their digits are read directly, as the list reads
    // two of them for every deal.
    const QStringView t = QStringView(text).trimmed();
    const auto digits = [&t](int from, int count) {
        int n = 0;
        for (int i = from; i < from + count; ++i) {
            if (t[i] < u'0' || t[i] > u'9')
                return -1;
            n = n * 10 + (t[i].unicode() - u'0');
        }
        return n;
    };
    if (t.size() == 10 && t[2] == u'/' && t[5] == u'/') {
        const int month = digits(0, 2), day = digits(3, 2), year = digits(6, 4);
        if (month >= 0 && day >= 0 && year >= 0)
            return QDate::isValid(year, month, day) ? formatDate(QDate(year, month, day), mask)
                                                    : text;
    }
    const QDate d = QDate::fromString(t.toString(), QStringLiteral("M/d/yyyy"));
    return d.isValid() ? formatDate(d, mask) : text;
}

// A day of the year ("mm/dd") within a span of the year; a span that begins later in the year
// than it ends runs over New Year (12/15 to 01/15).
bool inSpan(const QString &day, const QString &from, const QString &to) {
    return from <= to ? day >= from && day <= to : day >= from || day <= to;
}

// "" and "//" are how a missing birthday is stored.
bool birthdayIn(const QString &formatted, const QString &from, const QString &to) {
    const QString trimmed = rtrim(formatted);
    if (trimmed.isEmpty() || trimmed == QLatin1String("//"))
        return false;
    return inSpan(formatted.left(5), from, to);
}
} // namespace

ReportOutput DoCustFile(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    const auto passes = [&] {
        return ReportSelection::inDateRange(deals, c) &&
               ReportSelection::vehiclePasses(c, deals.text(NewUsed));
    };
    const bool labels = c.PrtFmt == ReportConditions::LabelFormat;
    const auto entry = [labels](const DealSource &d, int, QStringList &lines) {
        if (labels) {
            lines << rtrim(d.text(ByFirstMI)) + u' ' + d.text(ByLName) << d.text(ByAdr)
                  << rtrim(d.text(ByCity)) + QStringLiteral(", ") + d.text(ByStateZip) << QString()
                  << QString();
        } else {
            lines << ContactLists::nameColumn(d.text(ByFirstMI), d.text(ByLName)) +
                         QString(5, u' ') + d.text(ByPhone)
                  << QStringLiteral("   ") + d.text(ByAdr) + QStringLiteral("   ") +
                         d.text(ByCity) + u' ' + d.text(ByStateZip);
        }
    };
    const auto rows = [&](ReportOutput &out) {
        ContactLists::addContactRow(out, deals, deals.text(ByFirstMI), deals.text(ByLName));
    };
    return ContactLists::walk(c, deals, policy, passes, labels ? 5 : 2, entry, rows);
}

ReportOutput DoAnnv_DOB(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    const QString full = QStringLiteral("mm/dd/yyyy");
    const QString twoBlanks = QStringLiteral("  ");

    if (c.report == 7) {
        // With the year the span is one of whole dates; without it, of days of any year.
        const QString day = QStringLiteral("mm/dd");
        const QString from = asDate(c.BDT, day);
        const QString to = asDate(c.EDT, day);
        const auto passes = [&] {
            const bool in = c.AnnvYr ? ReportSelection::inDateRange(deals, c)
                                     : inSpan(formatDate(deals.date(DateSold), day), from, to);
            // A deal without a sale date has no anniversary.
            return in && !deals.view(DateSold).isEmpty() &&
                   ReportSelection::vehiclePasses(c, deals.text(NewUsed));
        };
        const auto entry = [full, twoBlanks](const DealSource &d, int, QStringList &lines) {
            lines << ContactLists::contactEntry(
                d, ContactLists::nameColumn(d.text(ByFirstMI), d.text(ByLName)),
                twoBlanks + formatDate(d.date(DateSold), full));
        };
        const auto rows = [&](ReportOutput &out) {
            ContactLists::addContactRow(out, deals, deals.text(ByFirstMI), deals.text(ByLName));
        };
        return ContactLists::walk(c, deals, policy, passes, 3, entry, rows);
    }

    const QString from = asDate(c.BDT, QStringLiteral("mm/dd"));
    const QString to = asDate(c.EDT, QStringLiteral("mm/dd"));
    const auto buyer = [&] { return birthdayIn(asDate(deals.text(ByDOB), full), from, to); };
    const auto coBuyer = [&] { return birthdayIn(asDate(deals.text(CByDOB), full), from, to); };
    const auto passes = [&] {
        return (buyer() || coBuyer()) && ReportSelection::vehiclePasses(c, deals.text(NewUsed));
    };
    // A deal lists its buyer and its co-buyer, each an entry of its own.
    enum { Buyer, CoBuyer };
    const auto entry = [full, twoBlanks](const DealSource &d, int kind, QStringList &lines) {
        const bool co = kind == CoBuyer;
        lines << ContactLists::contactEntry(
            d,
            ContactLists::nameColumn(d.text(co ? CByFirstMI : ByFirstMI),
                                     d.text(co ? CByLName : ByLName)),
            twoBlanks + asDate(d.text(co ? CByDOB : ByDOB), full));
    };
    const auto listed = [&](ReportLines &lines) {
        if (buyer())
            lines.addEntry(deals, Buyer);
        if (coBuyer() && !rtrim(deals.text(CByLName)).isEmpty())
            lines.addEntry(deals, CoBuyer);
    };
    const auto rows = [&](ReportOutput &out) {
        if (buyer())
            ContactLists::addContactRow(out, deals, deals.text(ByFirstMI), deals.text(ByLName),
                                        deals.text(ByDOB));
        if (coBuyer() && !rtrim(deals.text(CByLName)).isEmpty())
            ContactLists::addContactRow(out, deals, deals.text(CByFirstMI), deals.text(CByLName),
                                        deals.text(CByDOB));
    };
    return ContactLists::walk(c, deals, policy, passes, 3, entry, rows, listed);
}
