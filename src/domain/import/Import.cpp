#include "domain/import/Import.h"

#include "base/Clock.h"
#include "base/Cp1252.h"
#include "base/DelimitedInput.h"
#include "base/Format.h"
#include "base/PathMapping.h"
#include "domain/entry/DateCheck.h"
#include "domain/entry/EntryFormat.h"
#include "store/Audit.h"
#include "store/DealSchema.h"
#include "store/UseLock.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cmath>

namespace DealImport {
namespace {
using Kind = StoreError::Kind;

// A transaction is committed after this many deals or this long, whichever comes first: large
// enough for speed, short enough that other workstations are not kept waiting to save.
const int batchSize = 25000;
const int batchMs = 1500;
// Deals written together in one statement, where the engine keeps them.
const int keptMost = 1000;
const int useWaitMs = 10000;
const int lnKeyField = DealSchema::LNKey;

QStringView chopBlanks(QStringView text) {
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ')
        --n;
    return text.left(n);
}

bool blank(QStringView text) {
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

bool isDigits(QStringView text) {
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return !text.isEmpty();
}

const QString &fieldName(int field) {
    return DealSchema::fields()[field].name;
}

// Control characters, and the bytes code page 1252 leaves without a character (which decode to
// the code points of the same value), are no part of a deal's text.
bool controlCharacter(char16_t c) {
    return c < 0x20 || c == 0x7F;
}
bool undefinedIn1252(char16_t c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

QString badCharacterMessage(int field, char16_t c) {
    const QString code =
        QStringLiteral("0x") + QString::number(c, 16).toUpper().rightJustified(2, u'0');
    return (controlCharacter(c) ? QStringLiteral("the field %1 holds the control character %2 "
                                                 "(the export is damaged)")
                                : QStringLiteral("the field %1 holds the byte %2, which is no "
                                                 "character of code page 1252 (the export is "
                                                 "damaged)"))
        .arg(fieldName(field), code);
}

std::optional<QString> badCharacter(QStringView text, int field) {
    for (QChar c : text)
        if (controlCharacter(c.unicode()) || undefinedIn1252(c.unicode()))
            return badCharacterMessage(field, c.unicode());
    return std::nullopt;
}

// A stock number as a message shows it: without its trailing blanks, and with "?" for what
// cannot be shown.
QString shown(QStringView stock) {
    QString text = chopBlanks(stock).toString();
    for (QChar &c : text)
        if (controlCharacter(c.unicode()))
            c = u'?';
    return text;
}

QString blankMessage(const char *what) {
    return QStringLiteral("the %1 is blank: a deal is stored only with a stock number, a last "
                          "name and a sale date")
        .arg(QLatin1String(what));
}

// Save's rule: a deal needs its stock number, last name and sale date.
std::optional<QString> missingKey(QStringView stock, QStringView lastName) {
    if (blank(stock))
        return blankMessage("stock number");
    if (blank(lastName))
        return blankMessage("last name");
    return std::nullopt;
}

// ---- numbers

// A number with up to `places` decimals written by a mask with that many, into out, without
// going through the general number layout: the common case of an export's numbers. False when
// the text is not that simple (the mask would have to round, or it is not a plain number).
bool plainNumber(QStringView text, int places, QString &out) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    const bool negative = i < text.size() && text[i] == u'-';
    if (negative)
        ++i;
    const qsizetype start = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    QStringView whole = text.mid(start, i - start);
    QStringView fraction;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype from = ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        fraction = text.mid(from, i - from);
    }
    while (i < text.size() && text[i] == u' ')
        ++i;
    // A blank field is the value 0.
    const bool nothing = whole.isEmpty() && fraction.isEmpty();
    // Up to 15 digits a double holds exactly, which is what the general layout works from.
    if (i != text.size() || fraction.size() > places || whole.size() + fraction.size() > 15 ||
        (nothing && (negative || start < i)))
        return false;
    while (!whole.isEmpty() && whole[0] == u'0')
        whole = whole.mid(1);
    if (negative) {
        bool zero = whole.isEmpty();
        for (QChar c : fraction)
            zero = zero && c == u'0';
        if (zero)
            return false; // the layout decides how minus zero shows
    }
    out.resize(0);
    if (negative)
        out += u'-';
    if (whole.isEmpty())
        out += u'0';
    else
        out += whole;
    if (places > 0) {
        out += u'.';
        out += fraction;
        for (qsizetype n = fraction.size(); n < places; ++n)
            out += u'0';
    }
    return true;
}

int placesOf(const QString &mask) {
    const qsizetype point = mask.indexOf(u'.');
    return point < 0 ? 0 : int(mask.size() - point - 1);
}

void byMask(QStringView text, const QString &mask, int places, QString &out) {
    if (!plainNumber(text, places, out))
        out = plainFormat(mask, Val(text.toString()));
}

// ---- dates

// The years two-digit years stand for (Clock::fullYear), looked up once for a whole export.
struct YearWindow {
    std::array<int, 100> full;
    YearWindow() {
        for (int i = 0; i < 100; ++i)
            full[i] = Clock::fullYear(i);
    }
};

QDate dateOf(QStringView year, QStringView month, QStringView day, const YearWindow &window) {
    int y = year.toInt();
    if (year.size() <= 2)
        y = window.full[y];
    return QDate(y, month.toInt(), day.toInt());
}

// Form 1's model year, as DateCheck completes it; two digits (or one and a blank) are looked up.
QString modelYear(QStringView text, const YearWindow &window) {
    int value = 0;
    for (QChar c : text) {
        if (c == u' ')
            continue;
        if (c < u'0' || c > u'9' || value >= 10)
            return DateCheck(u'Y', text.toString());
        value = value * 10 + (c.unicode() - u'0');
    }
    return QString::number(window.full[value]);
}

// Form 1: "20240315".
std::optional<QDate> fixedSaleDate(QStringView text, const YearWindow &window) {
    if (text.size() != 8 || !isDigits(text))
        return std::nullopt;
    const QDate d = dateOf(text.left(4), text.mid(4, 2), text.mid(6, 2), window);
    return d.isValid() ? std::optional(d) : std::nullopt;
}

// Form 2: month/day/year or month-day-year with a year of two or four digits, or
// year-month-day; each may stand between "#" as the dealer system writes date values.
std::optional<QDate> delimitedSaleDate(QStringView text, const YearWindow &window) {
    text = text.trimmed();
    if (text.size() > 2 && text.front() == u'#' && text.back() == u'#')
        text = text.mid(1, text.size() - 2).trimmed();
    const QChar separator = text.contains(u'/') ? u'/' : u'-';
    const QList<QStringView> parts = text.split(separator);
    if (parts.size() != 3)
        return std::nullopt;
    for (QStringView p : parts)
        if (!isDigits(p))
            return std::nullopt;
    QDate d;
    if (parts[0].size() == 4 && parts[1].size() <= 2 && parts[2].size() <= 2)
        d = dateOf(parts[0], parts[1], parts[2], window);
    else if (parts[0].size() <= 2 && parts[1].size() <= 2 &&
             (parts[2].size() == 2 || parts[2].size() == 4))
        d = dateOf(parts[2], parts[0], parts[1], window);
    return d.isValid() ? std::optional(d) : std::nullopt;
}

// ---- form 1

struct FixedField {
    int offset, width, field;
    enum Conversion { Text, SaleDate, BirthDate, Term, Rate, Amount, ModelYear } conversion;
};

// The layout of a record, by offset. The co-buyer's last name comes before the buyer's first
// name; the last two bytes of a record are not used.
const FixedField fixedFields[] = {
    {0, 8, 0, FixedField::SaleDate},     {8, 15, 1, FixedField::Text},
    {23, 15, 3, FixedField::Text},       {38, 15, 2, FixedField::Text},
    {53, 15, 4, FixedField::Text},       {68, 30, 5, FixedField::Text},
    {98, 15, 6, FixedField::Text},       {113, 8, 7, FixedField::Text},
    {121, 10, 8, FixedField::BirthDate}, {131, 10, 9, FixedField::BirthDate},
    {141, 25, 10, FixedField::Text},     {166, 30, 11, FixedField::Text},
    {196, 3, 12, FixedField::Text},      {199, 3, 13, FixedField::Term},
    {202, 8, 14, FixedField::Rate},      {210, 1, 15, FixedField::Text},
    {211, 1, 16, FixedField::Text},      {212, 3, 17, FixedField::Text},
    {215, 10, 18, FixedField::Amount},   {225, 10, 19, FixedField::Amount},
    {235, 8, 20, FixedField::Text},      {243, 1, 21, FixedField::Text},
    {244, 2, 22, FixedField::ModelYear}, {246, 10, 23, FixedField::Text},
    {256, 8, 24, FixedField::Text},      {264, 18, 25, FixedField::Text},
    {282, 10, 26, FixedField::Amount},   {292, 10, 27, FixedField::Amount},
    {302, 10, 28, FixedField::Amount},   {312, 10, 29, FixedField::Amount},
    {322, 10, 30, FixedField::Amount},   {332, 10, 31, FixedField::Amount},
    {342, 10, 32, FixedField::Amount},   {352, 10, 33, FixedField::Amount},
    {362, 10, 34, FixedField::Amount},   {372, 10, 36, FixedField::Amount},
    {382, 10, 41, FixedField::Amount},
};
const int stockOffset = 235, stockWidth = 8, lastNameOffset = 8, lastNameWidth = 15;
const int usedLength = 392; // the fields; the two bytes after them are not used

int fieldAtOffset(int offset) {
    int field = 0;
    for (const FixedField &f : fixedFields)
        if (f.offset <= offset)
            field = f.field;
    return field;
}

// The texts of the deal being read, kept from deal to deal for their room.
struct Scratch {
    YearWindow years;
    QString record;
    std::array<QString, DealWriter::FieldCount> converted;
};

const QString amountMask = QStringLiteral("######0.00"), termMask = QStringLiteral("##0"),
              rateMask = QStringLiteral("#0.00000");

// The fields of a record whose texts have been checked, as they are stored: plain texts as
// they stand in the record, the others converted into the scratch texts.
void fillFixed(const QString &record, const QDate &sold, Scratch &s, DealWriter::Fields &fields) {
    static const QString otherProfit[3] = {QStringLiteral("Other Proft 1"),
                                           QStringLiteral("Other Proft 2"),
                                           QStringLiteral("Other Proft 3")},
                         zero = QStringLiteral("0.00");
    for (const FixedField &f : fixedFields) {
        const QStringView text = QStringView(record).mid(f.offset, f.width);
        QString &out = s.converted[f.field];
        switch (f.conversion) {
        case FixedField::Text:
            fields[f.field] = text;
            continue;
        case FixedField::BirthDate:
            // An empty date box stores no date.
            if (blank(text) || chopBlanks(text) == QLatin1String("  /  /"))
                fields[f.field].reset();
            else
                fields[f.field] = text;
            continue;
        case FixedField::SaleDate:
            out = sold.toString(Qt::ISODate);
            break;
        case FixedField::Term:
            byMask(text, termMask, 0, out);
            break;
        case FixedField::Rate:
            byMask(text, rateMask, 5, out);
            break;
        case FixedField::Amount:
            byMask(text, amountMask, 2, out);
            break;
        case FixedField::ModelYear:
            out = modelYear(text, s.years);
            break;
        }
        fields[f.field] = out;
    }
    for (int i = 0; i < 3; ++i) {
        fields[DealSchema::Prft1 + 2 * i] = otherProfit[i];
        if (i > 0)
            fields[DealSchema::PrftAmt1 + 2 * i] = zero;
    }
    // The key is the last name and the stock number with their blanks: 23 characters.
    QString &key = s.converted[lnKeyField];
    key.resize(0);
    key += QStringView(record).mid(lastNameOffset, lastNameWidth);
    key += QStringView(record).mid(stockOffset, stockWidth);
    fields[lnKeyField] = key;
}

void readRecord(ReadSink &sink, qint64 number, const char *bytes, Scratch &s) {
    ReadDeal deal{Form::Fixed, number, {}, {}};
    const QString stock = Cp1252::decode(QByteArray::fromRawData(bytes + stockOffset, stockWidth));
    deal.stock = shown(stock);
    // A stock number of "*" marks a record that is never imported.
    if (deal.stock == QLatin1String("*")) {
        sink.notForImport();
        return;
    }
    const auto refuse = [&](const QString &reason) {
        sink.refused({deal.where(), deal.stock, reason});
    };
    bool ascii = true;
    for (int i = 0; i < usedLength; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (controlCharacter(b) || undefinedIn1252(b))
            return refuse(badCharacterMessage(fieldAtOffset(i), b));
        ascii = ascii && b < 0x80;
    }
    s.record = ascii ? QString::fromLatin1(bytes, RecordLength)
                     : Cp1252::decode(QByteArray::fromRawData(bytes, RecordLength));
    const QStringView record(s.record);
    if (const auto missing = missingKey(stock, record.mid(lastNameOffset, lastNameWidth)))
        return refuse(*missing);
    const QStringView dateText = record.left(8);
    if (blank(dateText))
        return refuse(blankMessage("sale date"));
    const std::optional<QDate> sold = fixedSaleDate(dateText, s.years);
    if (!sold)
        return refuse(QStringLiteral("the sale date \"%1\" is not a date of the form YYYYMMDD")
                          .arg(dateText.toString()));
    fillFixed(s.record, *sold, s, deal.fields);
    sink.deal(deal);
}

void readFixed(const QString &name, const QByteArray &data, ReadSink &sink,
               const Progress &progress) {
    qint64 size = data.size();
    // An end-of-file mark after the last record is not part of it.
    if (size % RecordLength == 1 && data.back() == '\x1A')
        --size;
    if (size < RecordLength)
        throw VolmeraError(
            QStringLiteral("The export file %1 is too short to hold its first record (%2 of %3 "
                           "bytes): nothing was imported.")
                .arg(name)
                .arg(size)
                .arg(RecordLength));
    const qint64 records = std::llround(double(size) / RecordLength);
    Scratch scratch;
    // Record 1 is the header. Each record is read where its number puts it, whatever its
    // bytes hold, so that a damaged record is refused alone.
    qint64 number = 2;
    for (qint64 pos = RecordLength; pos < size; pos += RecordLength, ++number) {
        const qint64 left = size - pos;
        if (left < RecordLength) {
            const QString stock =
                left < stockOffset + stockWidth
                    ? QString()
                    : shown(Cp1252::decode(data.mid(pos + stockOffset, stockWidth)));
            sink.refused({QStringLiteral("record %1").arg(number), stock,
                          QStringLiteral("the record is incomplete: the file ends %1 bytes into "
                                         "it (a record is %2 bytes)")
                              .arg(left)
                              .arg(RecordLength)});
            break;
        }
        if (progress)
            progress(number, records);
        readRecord(sink, number, data.constData() + pos, scratch);
    }
}

// ---- form 2

// Where the text of a line ends, the line end included.
qsizetype afterLineEnd(const QString &text, qsizetype from) {
    qsizetype i = from;
    while (i < text.size() && text[i] != u'\r' && text[i] != u'\n')
        ++i;
    if (i < text.size() && text[i] == u'\r')
        ++i;
    if (i < text.size() && text[i] == u'\n')
        ++i;
    return i;
}

// Counts lines as reading goes forward, for messages.
class LineCounter {
public:
    explicit LineCounter(const QString &text) : text(text) {}
    // The line (from 1) of the first item at or after pos.
    int lineOfItemAt(qsizetype pos) {
        while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t' ||
                                     text[pos] == u'\r' || text[pos] == u'\n'))
            ++pos;
        for (; counted < pos; ++counted) {
            if (text[counted] == u'\n' || (text[counted] == u'\r' && (counted + 1 >= text.size() ||
                                                                      text[counted + 1] != u'\n')))
                ++line;
        }
        return line;
    }
    qsizetype itemStart() const { return counted; }

private:
    const QString &text;
    qsizetype counted = 0;
    int line = 1;
};

// The items of a deal whose texts have been checked, as they are stored: each as it stands,
// but for the sale date, a model year of one or two digits, the empty descriptions of the
// other profits, empty birth dates (no date), and the key.
void fillDelimited(const QStringList &items, const QDate &sold, Scratch &s,
                   DealWriter::Fields &fields) {
    static const QString otherProfit = QStringLiteral("Other Profit");
    for (int i = 0; i < ItemsPerDeal; ++i)
        fields[i] = items[i];
    s.converted[DealSchema::DateSold] = sold.toString(Qt::ISODate);
    fields[DealSchema::DateSold] = s.converted[DealSchema::DateSold];
    const QString &year = items[DealSchema::Year];
    if (year.size() <= 2 && isDigits(year)) {
        s.converted[DealSchema::Year] = QString::number(s.years.full[year.toInt()]);
        fields[DealSchema::Year] = s.converted[DealSchema::Year];
    }
    for (int field : {DealSchema::Prft1, DealSchema::Prft2, DealSchema::Prft3})
        if (items[field].isEmpty())
            fields[field] = otherProfit;
    for (int field : {DealSchema::ByDOB, DealSchema::CByDOB})
        if (blank(items[field]))
            fields[field].reset();
    s.converted[lnKeyField] = items[DealSchema::ByLName] + items[DealSchema::StkNbr];
    fields[lnKeyField] = s.converted[lnKeyField];
}

void readDelimited(const QString &text, ReadSink &sink) {
    DelimitedInput in(text);
    LineCounter lines(text);
    Scratch scratch;
    while (!in.atEnd()) {
        const int line = lines.lineOfItemAt(in.position());
        const qsizetype start = lines.itemStart();
        QStringList items;
        int firstLineItems = -1;
        bool unclosed = false;
        while (items.size() < ItemsPerDeal && !in.atEnd()) {
            items << in.next();
            unclosed = unclosed || in.quoteUnclosed();
            if (firstLineItems < 0 && in.endedLine())
                firstLineItems = int(items.size());
        }
        ReadDeal deal{Form::Delimited, line, shown(items.value(DealSchema::StkNbr)), {}};
        const auto refuse = [&](const QString &reason) {
            sink.refused({deal.where(), deal.stock, reason});
        };
        if (unclosed) {
            refuse(QStringLiteral("a quoted item has no closing quote on its line (the export "
                                  "is damaged)"));
            in.setPosition(afterLineEnd(text, start));
            continue;
        }
        if (items.size() < ItemsPerDeal) {
            refuse(QStringLiteral("the file ends after %1 of the %2 items of a deal")
                       .arg(items.size())
                       .arg(ItemsPerDeal));
            break;
        }
        if (!in.endedLine()) {
            // The deal runs into the next line: its own line is short (or too long).
            refuse(firstLineItems > 0 ? QStringLiteral("the line holds %1 items; a deal is %2")
                                            .arg(firstLineItems)
                                            .arg(ItemsPerDeal)
                                      : QStringLiteral("the line holds more than %1 items; a "
                                                       "deal is %1")
                                            .arg(ItemsPerDeal));
            in.setPosition(afterLineEnd(text, start));
            continue;
        }
        std::optional<QString> bad;
        for (int i = 0; i < ItemsPerDeal && !bad; ++i)
            bad = badCharacter(items[i], i);
        if (!bad)
            bad = missingKey(items[DealSchema::StkNbr], items[DealSchema::ByLName]);
        if (!bad && blank(items[DealSchema::DateSold]))
            bad = blankMessage("sale date");
        const std::optional<QDate> sold =
            delimitedSaleDate(items[DealSchema::DateSold], scratch.years);
        if (!bad && !sold)
            bad = QStringLiteral("the sale date \"%1\" is not a date (month/day/year)")
                      .arg(items[DealSchema::DateSold]);
        if (bad) {
            refuse(*bad);
            continue;
        }
        fillDelimited(items, *sold, scratch, deal.fields);
        sink.deal(deal);
    }
}

// ---- storing

// A deal refused for its data goes on the list; any other failure of the store stops the run.
bool refusesTheDeal(const StoreError &e) {
    switch (e.kind()) {
    case Kind::DuplicateKey:
    case Kind::ZeroLength:
    case Kind::TooLong:
    case Kind::Required:
    case Kind::BadValue:
        return true;
    default:
        return false;
    }
}

// Stores the deals as they are read; they are counted as imported once their batch is
// committed.
class Run : public ReadSink {
public:
    Run(const DatabaseAddress &database, const QString &file, Outcome &outcome)
        : outcome(outcome), file(file) {
        use = DatabaseUse::take(database, DatabaseUse::Mode::Shared, useWaitMs);
        if (!use)
            throw StoreError(Kind::Busy,
                             QStringLiteral("The deal database is being purged and rebuilt on "
                                            "another workstation; nothing was imported. Import "
                                            "again when that is done."));
        db = Database::open(database);
        // Deals written into a damaged file could be lost with it, or hide stored ones.
        if (const QStringList problems = db->integrityProblems(1); !problems.isEmpty())
            throw StoreError(Kind::Damaged,
                             QStringLiteral("The deal database %1 is damaged (%2): nothing was "
                                            "imported. Purge and rebuild it, which repairs what "
                                            "can be repaired, then import again.")
                                 .arg(database.describe(), problems.first()));
        {
            Transaction t(*db);
            Audit::ensureTable(*db);
            t.commit();
        }
        writer = std::make_unique<DealWriter>(*db);
        audit = std::make_unique<Audit::Writer>(*db);
    }

    void deal(const ReadDeal &deal) override {
        if (!batch) {
            batch = std::make_unique<Transaction>(*db);
            batchClock.start();
        }
        if (writer->keeps()) {
            try {
                writer->keep(deal.fields);
            } catch (const StoreError &e) {
                if (!refusesTheDeal(e))
                    throw;
                refused({deal.where(), deal.stock, e.description()});
                return;
            }
            kept.append({deal.where(), deal.stock, {}});
            if (kept.size() >= keptMost || batchClock.elapsed() >= batchMs)
                writeKept();
            return;
        }
        DealWriter::Result result;
        try {
            result = writer->add(deal.fields);
        } catch (const StoreError &e) {
            if (!refusesTheDeal(e))
                throw;
            refused({deal.where(), deal.stock, e.description()});
            return;
        }
        if (result == DealWriter::Result::AlreadyThere) {
            ++outcome.alreadyPresent;
            return;
        }
        audit->write(Audit::Action::Import, deal.stock, {}, QString(), file);
        if (++inBatch >= batchSize || batchClock.elapsed() >= batchMs)
            commit();
    }
    // The deals kept for writing together, with their records of the change.
    void writeKept() {
        QStringList stored;
        writer->write([&](int i, DealWriter::Result result, const StoreError *refusal) {
            if (refusal != nullptr)
                refused({kept[i].where, kept[i].stockNumber, refusal->description()});
            else if (result == DealWriter::Result::AlreadyThere)
                ++outcome.alreadyPresent;
            else
                stored << kept[i].stockNumber;
        });
        kept.clear();
        audit->writeEach(Audit::Action::Import, stored, file);
        inBatch += int(stored.size());
        if (inBatch >= batchSize || batchClock.elapsed() >= batchMs)
            commit();
    }
    void refused(const Refusal &refusal) override { outcome.refused.append(refusal); }
    void notForImport() override { ++outcome.notForImport; }

    // The run's summary goes in with its last deals.
    void finish() {
        if (!kept.isEmpty())
            writeKept();
        if (!batch)
            batch = std::make_unique<Transaction>(*db);
        audit->write(Audit::Action::Import, {}, {}, QString(),
                     QStringLiteral("%1: %2 imported, %3 already there, %4 refused")
                         .arg(file)
                         .arg(outcome.imported + inBatch)
                         .arg(outcome.alreadyPresent)
                         .arg(outcome.refused.size()));
        commit();
    }

    void commit() {
        if (!kept.isEmpty())
            writeKept();
        if (batch) {
            batch->commit();
            batch.reset();
        }
        outcome.imported += inBatch;
        inBatch = 0;
    }

private:
    Outcome &outcome;
    const QString file;
    // Destroyed in reverse: the open batch rolls back, then the statements go, then the
    // connection, then the lock.
    std::unique_ptr<DatabaseUse> use;
    std::unique_ptr<Database> db;
    std::unique_ptr<DealWriter> writer;
    std::unique_ptr<Audit::Writer> audit;
    std::unique_ptr<Transaction> batch;
    QElapsedTimer batchClock;
    int inBatch = 0;
    QList<Refusal> kept; // where and stock number of each deal kept
};

QString fileName(const ExportFile &file) {
    return QFileInfo(file.path).fileName();
}
} // namespace

QString ReadDeal::where() const {
    return (form == Form::Fixed ? QStringLiteral("record %1") : QStringLiteral("line %1"))
        .arg(number);
}

void readExport(Form form, const QString &name, const QByteArray &bytes, ReadSink &sink,
                const Progress &progress) {
    if (bytes.isEmpty())
        throw VolmeraError(
            QStringLiteral("The export file %1 is empty: there is nothing to import.").arg(name));
    if (form == Form::Fixed)
        readFixed(name, bytes, sink, progress);
    else
        readDelimited(Cp1252::decode(bytes), sink);
}

QString exportNumber(QStringView text, const QString &mask) {
    QString out;
    byMask(text, mask, placesOf(mask), out);
    return out;
}

std::optional<Form> formOfName(const QString &path) {
    const QString name = QFileInfo(path).fileName();
    if (name.compare(FixedName, Qt::CaseInsensitive) == 0 ||
        name.endsWith(QLatin1String(".DBF"), Qt::CaseInsensitive))
        return Form::Fixed;
    if (name.compare(DelimitedName, Qt::CaseInsensitive) == 0 ||
        name.endsWith(QLatin1String(".PST"), Qt::CaseInsensitive))
        return Form::Delimited;
    return std::nullopt;
}

std::optional<ExportFile> findExport() {
    for (const auto &[form, name] :
         {std::pair{Form::Fixed, FixedName}, std::pair{Form::Delimited, DelimitedName}}) {
        const QString dosPath = ExportFolder + name;
        if (FileExists(dosPath))
            return ExportFile{form, PathMapping::toLocal(dosPath)};
    }
    return std::nullopt;
}

Outcome importDeals(const DatabaseAddress &database, const ExportFile &file,
                    const Progress &progress) {
    Outcome outcome;
    try {
        QFile in(file.path);
        if (!in.open(QIODevice::ReadOnly))
            throw VolmeraError(QStringLiteral("Cannot read the export file %1: %2")
                                   .arg(file.path, in.errorString()));
        const QByteArray data = in.readAll();
        in.close();
        Run run(database, fileName(file), outcome);
        readExport(file.form, fileName(file), data, run, progress);
        run.finish();
    } catch (const VolmeraError &e) {
        outcome.failure = e.description();
    } catch (const std::exception &e) {
        outcome.failure = QString::fromUtf8(e.what());
    }
    // The file is the only copy of its deals until every one of them is in the table.
    if (file.form == Form::Delimited && outcome.clean()) {
        if (QFile::remove(file.path))
            outcome.fileDeleted = true;
        else if (!QFileInfo::exists(file.path))
            outcome.fileDeletedElsewhere = true;
        else
            outcome.failure = QStringLiteral("The deals were imported, but the file %1 could not "
                                             "be deleted; importing it again skips them.")
                                  .arg(file.path);
    }
    return outcome;
}

QString closingMessage(const ExportFile &file, const Outcome &outcome) {
    if (outcome.clean())
        return QString();
    const QString name = fileName(file);
    QStringList lines;
    if (!outcome.failure.isEmpty())
        lines << outcome.failure;
    if (!outcome.refused.isEmpty()) {
        lines << QStringLiteral("%1 deal(s) of %2 were not imported:")
                     .arg(outcome.refused.size())
                     .arg(name);
        const int shown = 15;
        for (const Refusal &r : outcome.refused.mid(0, shown))
            lines << QStringLiteral("%1, stock %2: %3")
                         .arg(r.where,
                              r.stockNumber.isEmpty() ? QStringLiteral("?") : r.stockNumber,
                              r.reason);
        if (outcome.refused.size() > shown)
            lines << QStringLiteral("... and %1 more.").arg(outcome.refused.size() - shown);
    }
    if (outcome.imported > 0)
        lines << QStringLiteral("%1 deal(s) were imported.").arg(outcome.imported);
    if (file.form == Form::Delimited && !outcome.fileDeleted)
        lines << QStringLiteral("The file %1 was left in place, so that no deal in it is lost.")
                     .arg(name);
    return lines.join(u'\n');
}

} // namespace DealImport
