#include "base/Format.h"
#include "base/LargeArrays.h"
#include "domain/reports/Builders.h"
#include "domain/reports/DealFigures.h"
#include "domain/reports/ReportSelection.h"

#include <QHash>
#include <QStringBuilder>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

using namespace DealSchema;

using namespace Qt::Literals::StringLiterals;

namespace {
using DealFigures::pct;

// The hash of a text's beginnings, a character at a time: a group looks every beginning of
// its text up among the keys.
class BeginningHash {
public:
    void add(QChar c) { h = (h ^ c.unicode()) * 0x100000001b3; }
    size_t value() const {
        quint64 x = (h ^ (h >> 33)) * 0xff51afd7ed558ccd;
        return size_t(x ^ (x >> 33));
    }

private:
    quint64 h = 0xcbf29ce484222325;
};

size_t beginningHash(QStringView text) {
    BeginningHash hash;
    for (const QChar c : text)
        hash.add(c);
    return hash.value();
}

// The text in upper case, as QString::toUpper gives it, made in out without a new string for
// each, and the beginningHash of it; plain ASCII, as salesperson texts mostly are, without the
// look-ups in the case tables, and hashed on the way.
size_t upperInto(QString &out, QStringView text) {
    out.resize(text.size());
    QChar *to = out.data();
    BeginningHash hash;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80) {
            out = text.toString().toUpper();
            return beginningHash(out);
        }
        *to = QChar(u >= u'a' && u <= u'z' ? char16_t(u - 0x20) : u);
        hash.add(*to++);
    }
    return hash.value();
}

// A line of a block, made in Latin-1 in one buffer and turned into text at once: thousands of
// salespeople make a hundred thousand lines. The longest line is under a hundred characters.
class Line {
public:
    template <size_t N> Line &operator<<(const char (&text)[N]) {
        end = std::copy_n(text, N - 1, end);
        return *this;
    }
    Line &blanks(int count) {
        end = std::fill_n(end, count, ' ');
        return *this;
    }
    Line &column(const NumberColumn &layout, Currency x) {
        end = layout.layOutLatin1(end, x);
        return *this;
    }
    QLatin1StringView text() const { return {buffer, end - buffer}; }

private:
    char buffer[160];
    char *end = buffer;
};

// The item at next of a list made over again, next moved past it: the one made there before,
// to be written over, or a new one at the end.
template <class T> T &nextOver(QList<T> &list, qsizetype &next) {
    if (next < list.size())
        return list[next++];
    ++next;
    return list.emplaceBack();
}

// Sets lines to a block's lines one after another, each written over the text the same line
// held for the block made before: its room is used again rather than allocated anew.
class BlockLines {
public:
    explicit BlockLines(QStringList &lines) : lines(lines) {}
    ~BlockLines() { lines.resize(next); }
    BlockLines(const BlockLines &) = delete;
    BlockLines &operator=(const BlockLines &) = delete;
    BlockLines &operator<<(const QString &text) {
        nextOver(lines, next) = text;
        return *this;
    }
    BlockLines &operator<<(const Line &line) {
        nextOver(lines, next) = line.text();
        return *this;
    }

private:
    QStringList &lines;
    qsizetype next = 0;
};

// The block's columns: counts, percents and amounts, each added to the end of its line.
void n7(Line &line, qint64 x) {
    static const NumberColumn counts(u"######0"_s);
    line.column(counts, Currency::fromUnits(x * 10000));
}
void p6(Line &line, Currency x) {
    static const NumberColumn percents(u"##0.00"_s);
    line.column(percents, x);
}
void m9(Line &line, Currency x) {
    static const NumberColumn amounts(u"#####0.00"_s);
    line.column(amounts, x);
}

template <size_t N>
Line countLine(const char (&label)[N], qint64 a, qint64 b, qint64 c, Currency p, Currency q,
               Currency r) {
    Line line;
    line << label;
    n7(line, a);
    line << "   ";
    n7(line, b);
    line << "   ";
    n7(line, c);
    line << "    ";
    p6(line, p);
    line << "%   ";
    p6(line, q);
    line << "%   ";
    p6(line, r);
    line << "%";
    return line;
}

template <size_t N>
Line moneyLine(const char (&label)[N], Currency a, Currency b, Currency c, Currency p, Currency q,
               Currency r) {
    Line line;
    line << label;
    m9(line, a);
    line << " ";
    m9(line, b);
    line << " ";
    m9(line, c);
    line << "  ";
    m9(line, p);
    line << " ";
    m9(line, q);
    line << " ";
    m9(line, r);
    return line;
}

void addBlock(BlockLines &lines, const Tally &nw, const Tally &used) {
    const Tally all = nw + used;
    const Figures n = figuresOf(nw), u = figuresOf(used), t = figuresOf(all);
    Line sales;
    sales.blanks(14) << "Sales  ";
    n7(sales, nw.units);
    sales << "   ";
    n7(sales, used.units);
    sales << "   ";
    n7(sales, all.units);
    lines << sales;
    lines << countLine("           Financed  ", nw.financed, used.financed, all.financed,
                       n.financedPct, u.financedPct, t.financedPct);
    lines << countLine("   Service Contract  ", nw.service, used.service, all.service, n.servicePct,
                       u.servicePct, t.servicePct);
    lines << countLine("        Credit Life  ", nw.life, used.life, all.life, n.lifePct, u.lifePct,
                       t.lifePct);
    lines << countLine("  Credit Disability  ", nw.disability, used.disability, all.disability,
                       n.disabilityPct, u.disabilityPct, t.disabilityPct);
    lines << countLine("       Other Profit  ", nw.other, used.other, all.other, n.otherPct,
                       u.otherPct, t.otherPct);
    lines << QString() << QString();
    lines << u"                           Total F&I Income         F&I Income Per Retail Unit"_s;
    lines << moneyLine("    Finance Reserve ", nw.financeReserve, used.financeReserve,
                       all.financeReserve, n.financePerUnit, u.financePerUnit, t.financePerUnit);
    lines << moneyLine("  Srv. Cnt. Reserve ", nw.serviceReserve, used.serviceReserve,
                       all.serviceReserve, n.servicePerEligible, u.servicePerEligible,
                       t.servicePerEligible);
    lines << moneyLine("Credit Life Reserve ", nw.lifeReserve, used.lifeReserve, all.lifeReserve,
                       n.lifePerEligible, u.lifePerEligible, t.lifePerEligible);
    lines << moneyLine("        A&H Reserve ", nw.disabilityReserve, used.disabilityReserve,
                       all.disabilityReserve, n.disabilityPerEligible, u.disabilityPerEligible,
                       t.disabilityPerEligible);
    lines << moneyLine("       Other Profit ", nw.otherAmount, used.otherAmount, all.otherAmount,
                       n.otherPerUnit, u.otherPerUnit, t.otherPerUnit);
    lines << moneyLine("         F&I Profit ", n.income, u.income, t.income, n.perUnitSum,
                       u.perUnitSum, t.perUnitSum);
    lines << QString() << QString();
    lines << u"                            Total Income               Total Income Per Unit"_s;
    lines << moneyLine("          Total F&I ", n.income, u.income, t.income, n.incomePerUnit,
                       u.incomePerUnit, t.incomePerUnit);
    lines << moneyLine("         Total Pack ", nw.pack, used.pack, all.pack, n.packPerUnit,
                       u.packPerUnit, t.packPerUnit);
    lines << moneyLine("Total Net Prft(Veh) ", nw.gross, used.gross, all.gross, n.grossPerUnit,
                       u.grossPerUnit, t.grossPerUnit);
    lines << moneyLine("       Total Profit ", n.totalProfit, u.totalProfit, t.totalProfit,
                       n.totalProfitPerUnit, u.totalProfitPerUnit, t.totalProfitPerUnit);
}

QStringList blockLines(const Tally &nw, const Tally &used) {
    QStringList lines;
    {
        BlockLines set(lines);
        addBlock(set, nw, used);
    }
    return lines;
}

// Sets rows to the block's figures as rows of items by new, used and total; by salesperson each
// row names the block's salesperson first. The rows and cells rows holds are written over: the
// rows of thousands of blocks are made one block after another in the same list.
void setSheetBlock(QList<SheetRow> &rows, const QString &salesperson, const Tally &nw,
                   const Tally &used) {
    const Tally all = nw + used;
    const Figures n = figuresOf(nw), u = figuresOf(used), t = figuresOf(all);
    const qsizetype width = salesperson.isNull() ? 4 : 5;
    qsizetype next = 0;
    // Each cell is set where it lies: the row made for the block before has the same kinds of
    // cells in the same places, and only their values change.
    const auto set = [](SheetCell &cell, SheetCell::Kind kind, const auto &value) {
        if (cell.kind != kind)
            cell = SheetCell();
        cell.kind = kind;
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, QString>)
            cell.text = value;
        else if constexpr (std::is_same_v<std::decay_t<decltype(value)>, Currency>)
            cell.amount = value;
        else
            cell.count = value;
    };
    const auto row = [&](const QString &item, SheetCell::Kind kind, const auto &a, const auto &b,
                         const auto &c) {
        SheetRow &made = nextOver(rows, next);
        made.sum = made.below = false;
        made.cells.resize(width);
        SheetCell *cell = made.cells.data();
        if (!salesperson.isNull())
            set(*cell++, SheetCell::Text, salesperson);
        set(*cell++, SheetCell::Text, item);
        set(*cell++, kind, a);
        set(*cell++, kind, b);
        set(*cell, kind, c);
    };
    const auto counts = [&](const QString &item, qint64 Tally::*field) {
        row(item, SheetCell::Count, nw.*field, used.*field, all.*field);
    };
    const auto percents = [&](const QString &item, Currency Figures::*field) {
        row(item, SheetCell::Percent, n.*field, u.*field, t.*field);
    };
    const auto sums = [&](const QString &item, Currency Tally::*field) {
        row(item, SheetCell::Money, nw.*field, used.*field, all.*field);
    };
    const auto figures = [&](const QString &item, Currency Figures::*field) {
        row(item, SheetCell::Money, n.*field, u.*field, t.*field);
    };
    counts(u"Sales"_s, &Tally::units);
    counts(u"Financed"_s, &Tally::financed);
    percents(u"Financed %"_s, &Figures::financedPct);
    counts(u"Service Contract"_s, &Tally::service);
    percents(u"Service Contract %"_s, &Figures::servicePct);
    counts(u"Credit Life"_s, &Tally::life);
    percents(u"Credit Life %"_s, &Figures::lifePct);
    counts(u"Credit Disability"_s, &Tally::disability);
    percents(u"Credit Disability %"_s, &Figures::disabilityPct);
    counts(u"Other Profit"_s, &Tally::other);
    percents(u"Other Profit %"_s, &Figures::otherPct);
    sums(u"Finance Reserve"_s, &Tally::financeReserve);
    figures(u"Finance Reserve Per Retail Unit"_s, &Figures::financePerUnit);
    sums(u"Srv. Cnt. Reserve"_s, &Tally::serviceReserve);
    figures(u"Srv. Cnt. Reserve Per Retail Unit"_s, &Figures::servicePerEligible);
    sums(u"Credit Life Reserve"_s, &Tally::lifeReserve);
    figures(u"Credit Life Reserve Per Retail Unit"_s, &Figures::lifePerEligible);
    sums(u"A&H Reserve"_s, &Tally::disabilityReserve);
    figures(u"A&H Reserve Per Retail Unit"_s, &Figures::disabilityPerEligible);
    sums(u"Other Profit Amount"_s, &Tally::otherAmount);
    figures(u"Other Profit Per Retail Unit"_s, &Figures::otherPerUnit);
    figures(u"F&I Profit"_s, &Figures::income);
    figures(u"F&I Profit Per Retail Unit"_s, &Figures::perUnitSum);
    figures(u"Total F&I"_s, &Figures::income);
    figures(u"Total F&I Per Unit"_s, &Figures::incomePerUnit);
    sums(u"Total Pack"_s, &Tally::pack);
    figures(u"Total Pack Per Unit"_s, &Figures::packPerUnit);
    sums(u"Total Net Prft(Veh)"_s, &Tally::gross);
    figures(u"Total Net Prft(Veh) Per Unit"_s, &Figures::grossPerUnit);
    figures(u"Total Profit"_s, &Figures::totalProfit);
    figures(u"Total Profit Per Unit"_s, &Figures::totalProfitPerUnit);
    rows.resize(next);
}

void startSheet(ReportSheet &sheet, bool bySalesperson) {
    sheet.name = QStringLiteral("Summary Analysis");
    if (bySalesperson)
        sheet.columns << SheetColumn{QStringLiteral("Salesperson"), 20};
    sheet.columns << SheetColumn{QStringLiteral("Item"), 36}
                  << SheetColumn{QStringLiteral("New"), 14}
                  << SheetColumn{QStringLiteral("Used"), 14}
                  << SheetColumn{QStringLiteral("Total"), 14};
}

// The dealership's penetration of each product, for new, used and all deals.
Chart penetrationChart(const Tally &nw, const Tally &used) {
    const Figures n = figuresOf(nw), u = figuresOf(used), t = figuresOf(nw + used);
    ChartPlot plot;
    plot.title = QStringLiteral("Penetration");
    plot.scale = ChartPlot::Percent;
    plot.categories = {QStringLiteral("Finance"), QStringLiteral("Service Contract"),
                       QStringLiteral("Credit Life"), QStringLiteral("A&H"),
                       QStringLiteral("Other Profit")};
    for (const auto &[name, f] : {std::pair<QString, const Figures *>{QStringLiteral("New"), &n},
                                  {QStringLiteral("Used"), &u},
                                  {QStringLiteral("Total"), &t}})
        plot.series << ChartSeries{name,
                                   {f->financedPct.toDouble(), f->servicePct.toDouble(),
                                    f->lifePct.toDouble(), f->disabilityPct.toDouble(),
                                    f->otherPct.toDouble()}};
    return {QStringLiteral("Summary Analysis"), {}, {plot}};
}

QString header(const QString &key) {
    return key + QLatin1String(" (Salesman) ") +
           QString(std::max<qsizetype>(0, 80 - key.size() - 12), QLatin1Char('-'));
}

// The date test with the condition dates turned into keys once, not once per deal.
struct DateTest {
    explicit DateTest(const ReportConditions &c)
        : from(ReportSelection::conditionKey(c.BDT)), to(ReportSelection::conditionKey(c.EDT)) {}
    bool passes(const DealSource &deals) const { return deals.dateKeyWithin(DateSold, from, to); }
    QString from, to;
};

// Visits every deal from the first with its row number; false when a failing move was cancelled.
template <class Visit> bool walk(DealSource &deals, BuildPolicy &policy, Visit &&visit) {
    if (!policy.attempt([&] { deals.moveFirst(); }))
        return false;
    for (qsizetype row = 0; !deals.eof(); ++row) {
        visit(row);
        if (!policy.attempt([&] { deals.moveNext(); }))
            return false;
    }
    return true;
}

// The numbers of distinct texts by their characters: every deal looks its salesperson up
// among thousands, so the slots lie flat in one array, each with the text's hash to pass over
// most others, and the texts' characters are copied side by side, to be compared in one place.
class TextNumbers {
public:
    // The number added with text; -1 when there is none.
    qint32 find(QStringView text, size_t hash) const {
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot &slot = slots[i];
            if (slot.number < 0)
                return -1;
            if (slot.hash == quint32(hash) && slot.size == text.size() && holds(slot, text))
                return slot.number;
        }
    }
    // Room for count texts of length characters in all, before any is added.
    void reserve(size_t count, size_t length) {
        slots.assign(std::max(slots.size(), std::bit_ceil(2 * count)), Slot());
        mask = slots.size() - 1;
        starts.reserve(count);
        chars.reserve(length);
    }
    // Starts fetching the first slot that a look-up of the hash reads.
    void prefetch(size_t hash) const { __builtin_prefetch(&slots[hash & mask]); }
    // Adds text, not yet added, as the next number, which it returns.
    qint32 add(QStringView text, size_t hash) {
        if (2 * (starts.size() + 1) > slots.size()) {
            // Four times over: each growth moves every text added, and thousands of texts
            // doubling from a thousand slots would move six times.
            Slots old(4 * slots.size());
            old.swap(slots);
            mask = slots.size() - 1;
            for (const Slot &slot : old)
                if (slot.number >= 0)
                    place(slot);
        }
        const auto number = qint32(starts.size());
        starts.push_back(qint32(chars.size()));
        Slot slot{quint32(hash), number, qint32(chars.size()), qint32(text.size()), {}};
        std::copy_n(text.utf16(), std::min(text.size(), qsizetype(slot.head.size())),
                    slot.head.begin());
        place(slot);
        chars.insert(chars.end(), text.begin(), text.end());
        return number;
    }
    // The characters of all the texts added.
    size_t characters() const { return chars.size(); }
    // The text added as number.
    QStringView text(qint32 number) const {
        const qint32 start = starts[size_t(number)];
        const size_t end =
            size_t(number) + 1 < starts.size() ? size_t(starts[size_t(number) + 1]) : chars.size();
        return QStringView(chars.data() + start, qsizetype(end) - start);
    }

private:
    struct Slot {
        quint32 hash = 0;
        qint32 number = -1;
        qint32 at = 0; // in chars
        qint32 size = 0;
        // The text's first characters: most texts are compared without reading chars.
        std::array<char16_t, 8> head{};
    };
    // Whether the slot holds text, of the slot's size.
    bool holds(const Slot &slot, QStringView text) const {
        const qsizetype inSlot = std::min(text.size(), qsizetype(slot.head.size()));
        return std::equal(text.utf16(), text.utf16() + inSlot, slot.head.begin()) &&
               std::equal(text.begin() + inSlot, text.end(), chars.begin() + slot.at + inSlot);
    }
    void place(const Slot &slot) {
        size_t i = slot.hash & mask;
        while (slots[i].number >= 0)
            i = (i + 1) & mask;
        slots[i] = slot;
    }
    using Slots = std::vector<Slot, LargeArrayAllocator<Slot>>;
    Slots slots = Slots(1024);
    size_t mask = 1023;
    std::vector<qint32> starts; // in chars, by number
    std::vector<QChar> chars;
};

void countInto(Tally &nw, Tally &used, const DealSource &deals) {
    const QStringView cls = deals.view(NewUsed);
    if (cls == u"N")
        nw.count(deals);
    else if (cls == u"U")
        used.count(deals);
}

} // namespace

ReportOutput DoSummary(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    ReportOutput out;
    const DateTest dates(c);
    Tally nw, used;

    if (c.PrtBy != ReportConditions::Salesperson) {
        const bool done = walk(deals, policy, [&](qsizetype) {
            if (dates.passes(deals))
                countInto(nw, used, deals);
        });
        if (!done) {
            out.cancelled = true;
            return out;
        }
        out.lines << blockLines(nw, used);
        if (c.sheetRows) {
            startSheet(out.sheet, false);
            setSheetBlock(out.sheet.rows, QString(), nw, used);
        }
        out.chart = penetrationChart(nw, used);
        return out;
    }

    // One walk: the deals in range are summed by their Salesman text, each text noting its
    // first deal in the report's order (the text's key, the sale date, the row), so that the
    // deals may come in any order. Texts alike but for letter case make one group, spelled as
    // the text a walk of the ordered deals would meet first; the keys are listed once each, in
    // the order first met: only the texts met first are compared, not every text sorted. A block
    // then adds up the sums of the groups that begin with its key, so a key such as JO also
    // takes the deals of JONES.
    // What each deal reads of its text lies together; the rest, read once per text, apart.
    struct Sums {
        // The first eight characters of the text's first date, four by four as numbers that
        // compare as the characters do: most dates are told apart without reading the date.
        std::array<quint64, 2> dateHead;
        Tally nw, used;
    };
    // A text's own characters are textNumbers.text(number), side by side with the others'.
    struct Text {
        QStringView firstDate; // where the deals keep it
        qsizetype firstRow;
    };
    // Four characters read at once when the date has them, the number made in a register.
    const auto fourOf = [](QStringView date, qsizetype from) {
        quint64 four = 0;
        if (date.size() >= from + 4) {
            std::memcpy(&four, date.utf16() + from, sizeof four);
            if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian)
                four = four << 48 | (four << 16 & 0xFFFF00000000) | (four >> 16 & 0xFFFF0000) |
                       four >> 48;
            return four;
        }
        for (qsizetype i = from; i < from + 4 && i < date.size(); ++i)
            four |= quint64(date[i].unicode()) << (16 * (3 - (i - from)));
        return four;
    };
    const auto headOf = [&](QStringView date) {
        return std::array<quint64, 2>{fourOf(date, 0), fourOf(date, 4)};
    };
    // Room for a text for each deal, at most, made at once: the memory is taken only as the
    // texts come, and no growth copies the sums of thousands of texts again.
    std::vector<Sums, LargeArrayAllocator<Sums>> sums;
    std::vector<Text, LargeArrayAllocator<Text>> texts;
    sums.reserve(size_t(deals.sizeHint()));
    texts.reserve(size_t(deals.sizeHint()));
    TextNumbers textNumbers;
    const bool ordered = deals.inReportOrder();
    // A deal of a text met before is added to its sums one deal later: the sums, scattered among
    // thousands, are fetched while the next deal is counted.
    struct Pending {
        qint32 number = -1;
        bool isNew = false, isUsed = false;
        QStringView date;
        qsizetype row = 0;
        Tally deal;
    } pending;
    const auto addPending = [&] {
        if (pending.number < 0)
            return;
        Sums &sum = sums[size_t(pending.number)];
        if (!ordered) {
            const std::array<quint64, 2> head = headOf(pending.date);
            Text &text = texts[size_t(pending.number)];
            if (head < sum.dateHead ||
                (head == sum.dateHead && pending.date.compare(text.firstDate) < 0)) {
                text.firstDate = pending.date;
                text.firstRow = pending.row;
                sum.dateHead = head;
            }
        }
        if (pending.isNew)
            sum.nw += pending.deal;
        else if (pending.isUsed)
            sum.used += pending.deal;
        pending.number = -1;
    };
    const bool listed = walk(deals, policy, [&](qsizetype row) {
        if (!dates.passes(deals))
            return;
        const QStringView salesman = deals.view(Salesman);
        const QStringView date = deals.view(DateSold);
        const size_t hash = qHash(salesman);
        textNumbers.prefetch(hash);
        // The deal is counted on its own while its text's slot is fetched.
        Tally deal;
        const QStringView cls = deals.view(NewUsed);
        const bool isNew = cls == u"N", isUsed = cls == u"U";
        if (isNew || isUsed)
            deal.count(deals);
        const qint32 number = textNumbers.find(salesman, hash);
        if (number < 0) {
            textNumbers.add(salesman, hash);
            texts.push_back({date, row});
            sums.push_back({headOf(date), isNew ? deal : Tally(), isUsed ? deal : Tally()});
        } else {
            const char *sum = reinterpret_cast<const char *>(&sums[size_t(number)]);
            for (size_t at = 0; at < sizeof(Sums); at += 64)
                __builtin_prefetch(sum + at);
        }
        addPending();
        if (number >= 0)
            pending = {number, isNew, isUsed, date, row, deal};
    });
    addPending();
    // Whether text a is met before text b in a walk of the deals in the report's order.
    const auto metBefore = [&](qint32 a, qint32 b) {
        const Text &x = texts[size_t(a)], &y = texts[size_t(b)];
        if (!ordered) {
            const int order = compareTextOrderKeys(textNumbers.text(a), textNumbers.text(b));
            if (order != 0)
                return order < 0;
            if (x.firstDate != y.firstDate)
                return x.firstDate < y.firstDate;
        }
        return x.firstRow < y.firstRow;
    };
    // The groups by their text in upper case, each spelled as its text met first.
    TextNumbers groupNumbers;
    groupNumbers.reserve(texts.size(), textNumbers.characters());
    std::vector<qint32> groupFirst;
    std::vector<qint32> groupOf(texts.size()); // by text
    QString folded;
    for (qint32 i = 0; i < qint32(texts.size()); ++i) {
        const size_t hash = upperInto(folded, textNumbers.text(i));
        qint32 group = groupNumbers.find(folded, hash);
        if (group < 0) {
            group = groupNumbers.add(folded, hash);
            groupFirst.push_back(i);
        } else if (metBefore(i, groupFirst[size_t(group)])) {
            groupFirst[size_t(group)] = i;
        }
        groupOf[size_t(i)] = group;
    }
    // The keys by their text in upper case, each with the text met first among its groups';
    // the keys are listed in the order they are met, each spelled as that text has it.
    TextNumbers keyNumbers;
    std::vector<qint32> keyFirst;
    std::vector<qint32> groupKey(groupFirst.size());
    for (qint32 group = 0; group < qint32(groupFirst.size()); ++group) {
        const QStringView key = ReportSelection::salespersonKeyOf(groupNumbers.text(group));
        const size_t hash = beginningHash(key);
        const qint32 found = keyNumbers.find(key, hash);
        groupKey[size_t(group)] = found < 0 ? qint32(keyFirst.size()) : found;
        if (found < 0) {
            keyNumbers.add(key, hash);
            keyFirst.push_back(groupFirst[size_t(group)]);
        } else if (metBefore(groupFirst[size_t(group)], keyFirst[size_t(found)])) {
            keyFirst[size_t(found)] = groupFirst[size_t(group)];
        }
    }
    std::vector<qint32> keyOrder(keyFirst.size());
    std::iota(keyOrder.begin(), keyOrder.end(), 0);
    std::sort(keyOrder.begin(), keyOrder.end(), [&](qint32 a, qint32 b) {
        return metBefore(keyFirst[size_t(a)], keyFirst[size_t(b)]);
    });
    std::vector<qsizetype> blockOfKey(keyFirst.size());
    for (size_t at = 0; at < keyOrder.size(); ++at) {
        blockOfKey[size_t(keyOrder[at])] = qsizetype(at);
        out.salespeople << ReportSelection::salespersonKeyOf(
                               textNumbers.text(keyFirst[size_t(keyOrder[at])]))
                               .toString();
    }
    if (!listed) {
        out.cancelled = true;
        return out;
    }
    if (out.salespeople.isEmpty()) { // no deal in range: one block of zeros
        out.lines << blockLines(nw, used);
        if (c.sheetRows) {
            startSheet(out.sheet, false);
            setSheetBlock(out.sheet.rows, QString(), nw, used);
        }
        out.chart = penetrationChart(nw, used);
        return out;
    }
    // A group belongs to the blocks whose keys begin it. A key holds no "/" and does not end in
    // a blank, so the keys that begin a group's text are those that begin the group's own key:
    // they are looked up once for each key, its beginnings hashed a character at a time.
    std::vector<qint32> beginnings, firstBeginning{0};
    for (qint32 key = 0; key < qint32(keyFirst.size()); ++key) {
        const QStringView text = keyNumbers.text(key);
        BeginningHash hash;
        for (qsizetype length = 1; length <= text.size(); ++length) {
            hash.add(text[length - 1]);
            const qint32 found =
                length == text.size() ? key : keyNumbers.find(text.left(length), hash.value());
            if (found >= 0)
                beginnings.push_back(found);
        }
        firstBeginning.push_back(qint32(beginnings.size()));
    }
    // The blocks of each group lie side by side in blocks.
    std::vector<qsizetype> blocks, firstBlock{0};
    const QString blank = QStringLiteral("BLANK");
    const qint32 blankKey = keyNumbers.find(blank, beginningHash(blank));
    // Between plain ASCII texts membership needs no comparison without regard to case: a key
    // that begins a group's key in upper case begins the group's text in any case.
    const auto isAscii = [](QStringView text) {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    };
    std::vector<bool> asciiBlock(size_t(out.salespeople.size())),
        blankBlock(size_t(out.salespeople.size()));
    for (qsizetype block = 0; block < out.salespeople.size(); ++block) {
        asciiBlock[size_t(block)] = isAscii(out.salespeople.at(block));
        blankBlock[size_t(block)] = out.salespeople.at(block) == blank;
    }
    for (qint32 group = 0; group < qint32(groupFirst.size()); ++group) {
        const QStringView salesman = textNumbers.text(groupFirst[size_t(group)]);
        const bool asciiGroup = isAscii(salesman);
        // The look-up finds the candidate; membership itself decides.
        const auto consider = [&](qint32 key, bool asBlank) {
            const qsizetype block = blockOfKey[size_t(key)];
            const QString &spelled = out.salespeople.at(block);
            if (asBlank == blankBlock[size_t(block)] &&
                ((!asBlank && asciiGroup && asciiBlock[size_t(block)]) ||
                 ReportSelection::inBlock(spelled, salesman)))
                blocks.push_back(block);
        };
        if (blankKey >= 0)
            consider(blankKey, true);
        const QStringView text = groupNumbers.text(group);
        const qsizetype slash = text.indexOf(QLatin1Char('/'));
        if (!ReportSelection::rtrimmed(slash < 0 ? text : text.left(slash)).isEmpty()) {
            const auto key = size_t(groupKey[size_t(group)]);
            for (qint32 k = firstBeginning[key]; k < firstBeginning[key + 1]; ++k)
                consider(beginnings[size_t(k)], false);
        }
        firstBlock.push_back(qsizetype(blocks.size()));
    }
    // Each text's sums go straight into its group's blocks, the texts taken as they lie.
    std::vector<Tally> blockNew(out.salespeople.size()), blockUsed(out.salespeople.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const auto group = size_t(groupOf[i]);
        for (qsizetype k = firstBlock[group]; k < firstBlock[group + 1]; ++k) {
            const auto block = size_t(blocks[size_t(k)]);
            blockNew[block] += sums[i].nw;
            blockUsed[block] += sums[i].used;
        }
    }
    // The blocks' sums, read by the lines and the spreadsheet rows alike.
    const auto blockSums =
        std::make_shared<const std::pair<std::vector<Tally>, std::vector<Tally>>>(
            std::move(blockNew), std::move(blockUsed));
    if (c.sheetRows) {
        // Each salesperson's rows are made when they are read, from the sums, as the lines are.
        startSheet(out.sheet, true);
        QList<SheetRow> one;
        setSheetBlock(one, QString(), {}, {});
        out.sheet.blockRows = int(one.size());
        out.sheet.blocks = int(out.salespeople.size());
        out.sheet.makeBlock = [keys = out.salespeople, blockSums](int i, QList<SheetRow> &rows) {
            setSheetBlock(rows, keys.at(i), blockSums->first[size_t(i)],
                          blockSums->second[size_t(i)]);
        };
    }
    ChartPlot perUnit{QStringLiteral("F&I Income Per Unit"),
                      ChartPlot::Bars,
                      ChartPlot::Money,
                      out.salespeople,
                      {{QStringLiteral("Total"), {}}}};
    ChartPlot units{QStringLiteral("Units"),
                    ChartPlot::Bars,
                    ChartPlot::Count,
                    out.salespeople,
                    {{QStringLiteral("Total"), {}}}};
    for (qsizetype i = 0; i < out.salespeople.size(); ++i) {
        const Tally all = blockSums->first[size_t(i)] + blockSums->second[size_t(i)];
        perUnit.series[0].values << figuresOf(all).incomePerUnit.toDouble();
        units.series[0].values << double(all.units);
    }
    // Each salesperson's block is made when it is read, from its sums: thousands of
    // salespeople make a hundred thousand lines.
    const int perBlock = int(blockLines({}, {}).size()) + 1;
    out.lines.listBlocks([keys = out.salespeople, blockSums](int i, QStringList &made) {
        BlockLines lines(made);
        if (i > 0)
            lines << QString();
        lines << header(keys.at(i));
        addBlock(lines, blockSums->first[size_t(i)], blockSums->second[size_t(i)]);
    });
    for (qsizetype i = 0; i < out.salespeople.size(); ++i)
        out.lines.addBlock(int(i), i > 0 ? perBlock + 1 : perBlock);
    out.chart = {QStringLiteral("Summary Analysis by Salesperson"), {}, {perUnit, units}};
    return out;
}
