#include "domain/import/Import.h"

#include "base/Cp1252.h"
#include "base/DelimitedInput.h"
#include "base/Format.h"
#include "base/PathMapping.h"
#include "domain/entry/DateCheck.h"
#include "domain/entry/EntryFormat.h"
#include "domain/entry/FieldTable.h"
#include "store/DealSchema.h"
#include "store/UseLock.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cmath>
#include <sqlite3.h>

namespace DealImport {
namespace {
using Kind = StoreError::Kind;

// A transaction is committed after this many deals or this long, whichever comes first: large
// enough for speed, short enough that other workstations are not kept waiting to save.
const int batchSize = 25000;
const int batchMs = 1500;
const int useWaitMs = 10000;
const int boxCount = ItemsPerDeal; // boxes 0 to 41, DateSold to Pack

QStringView chopBlanks(QStringView text) {
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ')
        --n;
    return text.left(n);
}

QString withoutTrailingBlanks(QStringView text) {
    return chopBlanks(text).toString();
}

// The bytes code page 1252 leaves without a character.
bool undefinedIn1252(char16_t c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

QString undefinedMessage(unsigned code) {
    return QStringLiteral("it holds the byte 0x%1, which is no character of code page 1252 (the "
                          "export is damaged)")
        .arg(QString::number(code, 16).toUpper());
}

std::optional<QString> undefinedCharacter(QStringView text) {
    for (QChar c : text) {
        if (undefinedIn1252(c.unicode()))
            return undefinedMessage(c.unicode());
    }
    return std::nullopt;
}

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

// The texts of the boxes 0 to 41 of one deal.
using Boxes = std::array<QStringView, boxCount>;

// A statement prepared once for the whole run, whose texts are bound straight from the
// caller's strings (they must live until it has run).
class Prepared {
public:
    Prepared(Database &db, const QString &sql) : db(db) {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v3(db.handle(), text.constData(), int(text.size()),
                               SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
            db.fail(sqlite3_extended_errcode(db.handle()));
    }
    ~Prepared() { sqlite3_finalize(stmt); }
    Prepared(const Prepared &) = delete;
    Prepared &operator=(const Prepared &) = delete;

    // UTF-8 text; an empty text is the zero-length text, not Null.
    void text(int index, const char *data, qsizetype size) {
        sqlite3_bind_text(stmt, index, size > 0 ? data : "", int(size), SQLITE_STATIC);
    }
    void text(int index, QStringView value) {
        utf8 = value.toUtf8();
        text(index, utf8.constData(), utf8.size());
    }
    void null(int index) { sqlite3_bind_null(stmt, index); }

    // True while a row is there; a refusal is the store's StoreError.
    bool step() {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        try {
            db.fail(sqlite3_extended_errcode(db.handle()));
        } catch (...) {
            sqlite3_reset(stmt);
            throw;
        }
    }
    void reset() {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }

    int changes() const { return sqlite3_changes(db.handle()); }

private:
    Database &db;
    sqlite3_stmt *stmt = nullptr;
    QByteArray utf8;
};

// Appends a text as UTF-8; most texts are plain ASCII, which is copied as it is.
void appendUtf8(QByteArray &out, QStringView text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            out += text.toUtf8();
            return;
        }
    }
    const qsizetype at = out.size();
    out.resize(at + text.size());
    char *to = out.data() + at;
    for (QChar c : text)
        *to++ = char(c.unicode());
}

bool blank(QStringView text) {
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

// Writes deals as the entry screen stores what its boxes hold: an empty date box stores no
// date, Date Sold is stored as the date its text names, every other box as its text.
class DealWriter {
public:
    explicit DealWriter(Database &db)
        : lookup(db, QStringLiteral("SELECT 1 FROM ZEL WHERE StkNbr = ?1 LIMIT 1")),
          insert(db, insertSql()) {
        for (int i = 0; i < boxCount; ++i)
            dateBox[i] = FieldTable::kindOf(i) == u'D';
    }

    bool present(QStringView stockNumber) {
        lookup.text(1, stockNumber);
        const bool found = lookup.step();
        lookup.reset();
        return found;
    }

    // False when a deal with the stock number is there already (nothing is written then).
    bool add(const Boxes &boxes, QStringView lnKey) {
        // The texts are gathered in one buffer first, since binding keeps pointers into it.
        buffer.resize(0); // keeps its room
        qsizetype start[boxCount + 2];
        bool isNull[boxCount + 1] = {};
        for (int i = 0; i < boxCount; ++i) {
            start[i] = buffer.size();
            if (dateBox[i] && blank(boxes[i]))
                isNull[i] = true;
            else if (i == DealSchema::DateSold)
                appendUtf8(buffer, storedDate(boxes[i]));
            else
                appendUtf8(buffer, boxes[i]);
        }
        start[boxCount] = buffer.size();
        appendUtf8(buffer, lnKey);
        start[boxCount + 1] = buffer.size();
        for (int i = 0; i <= boxCount; ++i) {
            if (isNull[i])
                insert.null(i + 1);
            else
                insert.text(i + 1, buffer.constData() + start[i], start[i + 1] - start[i]);
        }
        try {
            insert.step();
        } catch (...) {
            insert.reset();
            throw;
        }
        insert.reset();
        return insert.changes() > 0;
    }

private:
    static QString insertSql() {
        const QList<FieldDef> &fields = DealSchema::fields();
        QStringList columns, marks;
        for (int i = 0; i < boxCount; ++i)
            columns << quotedName(fields[i].name);
        columns << quotedName(fields[DealSchema::LNKey].name);
        for (int i = 1; i <= columns.size(); ++i)
            marks << QStringLiteral("?%1").arg(i);
        return QStringLiteral("INSERT INTO ZEL (%1) VALUES (%2) ON CONFLICT (StkNbr) DO NOTHING")
            .arg(columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    }

    // The date field takes the text as the store reads dates: mm/dd/yyyy or yyyy-mm-dd.
    static QString storedDate(QStringView text) {
        // Mostly mm/dd/yyyy as the import writes it.
        if (text.size() == 10 && text[2] == u'/' && text[5] == u'/') {
            bool ok[3];
            const QDate d(text.mid(6, 4).toInt(&ok[0]), text.mid(0, 2).toInt(&ok[1]),
                          text.mid(3, 2).toInt(&ok[2]));
            if (ok[0] && ok[1] && ok[2] && d.isValid())
                return d.toString(Qt::ISODate);
        }
        const QString t = text.trimmed().toString();
        QDate d = QDate::fromString(t, Qt::ISODate);
        if (!d.isValid())
            d = QDate::fromString(t, QStringLiteral("M/d/yyyy"));
        if (!d.isValid())
            throw StoreError(Kind::BadValue,
                             QStringLiteral("\"%1\" is not a date for field %2.")
                                 .arg(text.toString(), DealSchema::fields()[0].name));
        return d.toString(Qt::ISODate);
    }

    Prepared lookup;
    Prepared insert;
    bool dateBox[boxCount];
    QByteArray buffer;
};

// The run's bookkeeping: deals are counted as imported once their batch is committed.
class Run {
public:
    Run(const QString &databasePath, Outcome &outcome) : outcome(outcome) {
        use = DatabaseUse::take(databasePath, DatabaseUse::Mode::Shared, useWaitMs);
        if (!use)
            throw StoreError(Kind::Busy,
                             QStringLiteral("The deal database is being purged and rebuilt on "
                                            "another workstation; nothing was imported. Import "
                                            "again when that is done."));
        db = Database::open(databasePath);
        db->exec(QStringLiteral("PRAGMA cache_size = -65536"));
        writer = std::make_unique<DealWriter>(*db);
    }

    DealWriter &write() {
        if (!batch) {
            batch = std::make_unique<Transaction>(*db);
            batchClock.start();
        }
        return *writer;
    }

    void stored() {
        if (++inBatch >= batchSize || batchClock.elapsed() >= batchMs)
            commit();
    }

    void commit() {
        if (batch) {
            batch->commit();
            batch.reset();
        }
        outcome.imported += inBatch;
        inBatch = 0;
    }

    void refuse(const QString &where, const QString &stockNumber, const QString &reason) {
        outcome.refused.append({where, stockNumber, reason});
    }

    // A deal that cannot be stored is refused, unless its stock number is there already: such
    // a deal is skipped without a word, whatever its data.
    void refuseUnlessPresent(const QString &where, QStringView stock, const QString &stockShown,
                             const QString &reason) {
        lastPresent = write().present(stock);
        if (lastPresent)
            ++outcome.alreadyPresent;
        else
            refuse(where, stockShown, reason);
    }

    // After a deal that was there, the next is likely there too (an export imported again):
    // looking for it first costs less than reading it and having its write refused. True when
    // it was there (and is counted).
    bool skippedAsPresent(QStringView stock) {
        if (!lastPresent)
            return false;
        lastPresent = write().present(stock);
        if (lastPresent)
            ++outcome.alreadyPresent;
        return lastPresent;
    }

    // Stores one deal, or skips it when its stock number is there, or puts it on the refused
    // list when the store will not take its data.
    template <class Where>
    void add(const Where &where, QStringView stock, const QString &stockShown, const Boxes &boxes,
             QStringView lnKey) {
        bool added = false;
        try {
            added = write().add(boxes, lnKey);
        } catch (const StoreError &e) {
            if (!refusesTheDeal(e))
                throw;
            refuseUnlessPresent(where(), stock, stockShown, e.description());
            return;
        }
        lastPresent = !added;
        if (added)
            stored();
        else
            ++outcome.alreadyPresent;
    }

    Outcome &outcome;
    // The converted texts of the deal being stored, kept from deal to deal for their room.
    std::array<QString, boxCount> converted;

private:
    // Destroyed in reverse: the open batch rolls back, then the statements go, then the
    // connection, then the lock.
    std::unique_ptr<DatabaseUse> use;
    std::unique_ptr<Database> db;
    std::unique_ptr<DealWriter> writer;
    std::unique_ptr<Transaction> batch;
    QElapsedTimer batchClock;
    int inBatch = 0;
    bool lastPresent = false;
};

// ---- form 1

struct FixedField {
    int offset, width, box;
    enum Conversion { Text, SaleDate, BirthDate, Term, Rate, Amount, ModelYear } conversion;
};

// The layout of a record. The co-buyer's last name comes before the buyer's first name.
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
const int endMarkOffset = 392;

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
    if (i != text.size() || fraction.size() > places || (nothing && (negative || start < i)))
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
    out.clear();
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

void byMask(QStringView text, const QString &mask, int places, QString &out) {
    if (!plainNumber(text, places, out))
        out = plainFormat(mask, Val(text.toString()));
}

// "20240315" as "03/15/2024"; nothing when the text is not a date of that form.
std::optional<QString> saleDate(QStringView text) {
    if (text.size() != 8)
        return std::nullopt;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const QDate d(text.left(4).toInt(), text.mid(4, 2).toInt(), text.mid(6, 2).toInt());
    if (!d.isValid())
        return std::nullopt;
    return formatDate(d, QStringLiteral("mm/dd/yyyy"));
}

// The fields of a record laid into the boxes: plain texts are shown as they stand in the
// record, the others converted into `converted`, which must outlive the boxes.
void fillBoxes(const QString &record, Boxes &boxes, std::array<QString, boxCount> &converted) {
    static const QString amountMask = QStringLiteral("######0.00"),
                         termMask = QStringLiteral("##0"), rateMask = QStringLiteral("#0.00000"),
                         otherProfit[3] = {QStringLiteral("Other Proft 1"),
                                           QStringLiteral("Other Proft 2"),
                                           QStringLiteral("Other Proft 3")},
                         zero = QStringLiteral("0.00");
    for (const FixedField &f : fixedFields) {
        const QStringView text = QStringView(record).mid(f.offset, f.width);
        QString &out = converted[f.box];
        switch (f.conversion) {
        case FixedField::Text:
        case FixedField::SaleDate: // made by the caller
            boxes[f.box] = text;
            continue;
        case FixedField::BirthDate:
            boxes[f.box] = chopBlanks(text) == QLatin1String("  /  /") ? QStringView() : text;
            continue;
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
            out = DateCheck(u'Y', text.toString());
            break;
        }
        boxes[f.box] = out;
    }
    for (int i = 0; i < 3; ++i) {
        boxes[35 + 2 * i] = otherProfit[i];
        if (i > 0)
            boxes[36 + 2 * i] = zero;
    }
}

bool undefinedByte(char b) {
    return undefinedIn1252(static_cast<unsigned char>(b));
}

void importRecord(Run &run, qint64 number, const char *bytes) {
    const auto where = [number] { return QStringLiteral("record %1").arg(number); };
    const QString stock = Cp1252::decode(QByteArray::fromRawData(bytes + stockOffset, stockWidth));
    const QString stockShown = withoutTrailingBlanks(stock);
    // A stock number of "*" marks a record that is never imported.
    if (stockShown == QLatin1String("*")) {
        ++run.outcome.notForImport;
        return;
    }
    if (run.skippedAsPresent(stock))
        return;
    bool ascii = true;
    for (int i = 0; i < endMarkOffset; ++i) {
        if (undefinedByte(bytes[i])) {
            run.refuseUnlessPresent(where(), stock, stockShown, undefinedMessage(uchar(bytes[i])));
            return;
        }
        ascii = ascii && uchar(bytes[i]) < 0x80;
    }
    const QString record = ascii ? QString::fromLatin1(bytes, RecordLength)
                                 : Cp1252::decode(QByteArray::fromRawData(bytes, RecordLength));
    const QStringView dateText = QStringView(record).left(8);
    const std::optional<QString> date = saleDate(dateText);
    if (!date) {
        run.refuseUnlessPresent(
            where(), stock, stockShown,
            QStringLiteral("the sale date \"%1\" is not a date of the form YYYYMMDD")
                .arg(dateText.toString()));
        return;
    }
    Boxes boxes;
    fillBoxes(record, boxes, run.converted);
    boxes[0] = *date;
    const QString lnKey = record.mid(lastNameOffset, lastNameWidth) + stock;
    run.add(where, stock, stockShown, boxes, lnKey);
}

QString stockAt(const QByteArray &data, qint64 start, qint64 length) {
    if (length < stockOffset + stockWidth)
        return QString();
    return withoutTrailingBlanks(Cp1252::decode(data.mid(start + stockOffset, stockWidth)));
}

void importFixed(Run &run, const QString &name, const QByteArray &data, const Progress &progress) {
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
    // Records that end in a line end show where each one ends: one that does not is of the
    // wrong length, and the next one starts after the next line end.
    const QByteArray mark = data.mid(endMarkOffset, 2);
    const bool marked = mark.contains('\r') || mark.contains('\n');
    const qint64 records = std::llround(double(size) / RecordLength);

    qint64 pos = 0;
    for (qint64 number = 1; pos < size; ++number) {
        const auto where = [number] { return QStringLiteral("record %1").arg(number); };
        const qint64 left = size - pos;
        if (left < RecordLength) {
            run.refuse(where(), stockAt(data, pos, left),
                       QStringLiteral("the record is incomplete: the file ends %1 bytes into it "
                                      "(a record is %2 bytes)")
                           .arg(left)
                           .arg(RecordLength));
            break;
        }
        if (marked && data.mid(pos + endMarkOffset, 2) != mark) {
            const qint64 next = data.indexOf(mark, pos);
            const qint64 length = next < 0 || next + 2 > size ? left : next + 2 - pos;
            if (number > 1)
                run.refuse(where(), stockAt(data, pos, length),
                           QStringLiteral("the record is %1 bytes long, not %2: its fields "
                                          "cannot be told apart (the export is damaged)")
                               .arg(length)
                               .arg(RecordLength));
            pos += length;
            continue;
        }
        if (number > 1) {
            if (progress)
                progress(number, records);
            importRecord(run, number, data.constData() + pos);
        }
        pos += RecordLength;
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

void importDelimited(Run &run, const QString &text) {
    DelimitedInput in(text);
    LineCounter lines(text);
    while (!in.atEnd()) {
        const int line = lines.lineOfItemAt(in.position());
        const qsizetype start = lines.itemStart();
        const QString where = QStringLiteral("line %1").arg(line);
        QStringList items;
        int firstLineItems = -1;
        bool unclosed = false;
        while (items.size() < ItemsPerDeal && !in.atEnd()) {
            items << in.next();
            unclosed = unclosed || in.quoteUnclosed();
            if (firstLineItems < 0 && in.endedLine())
                firstLineItems = int(items.size());
        }
        const QString stock = items.value(20);
        if (unclosed) {
            run.refuse(where, stock,
                       QStringLiteral("a quoted item has no closing quote on its line (the "
                                      "export is damaged)"));
            in.setPosition(afterLineEnd(text, start));
            continue;
        }
        if (items.size() < ItemsPerDeal) {
            run.refuse(where, stock,
                       QStringLiteral("the file ends after %1 of the %2 items of a deal")
                           .arg(items.size())
                           .arg(ItemsPerDeal));
            break;
        }
        if (!in.endedLine()) {
            // The deal runs into the next line: its own line is short (or too long).
            run.refuse(where, stock,
                       firstLineItems > 0
                           ? QStringLiteral("the line holds %1 items; a deal is %2")
                                 .arg(firstLineItems)
                                 .arg(ItemsPerDeal)
                           : QStringLiteral("the line holds more than %1 items; a deal is %1")
                                 .arg(ItemsPerDeal));
            in.setPosition(afterLineEnd(text, start));
            continue;
        }
        if (run.skippedAsPresent(stock))
            continue;
        if (const auto bad = undefinedCharacter(items.join(QString()))) {
            run.refuseUnlessPresent(where, stock, stock, *bad);
            continue;
        }
        // An empty description of an other profit gets the general one.
        for (int box : {35, 37, 39})
            if (items[box].isEmpty())
                items[box] = QStringLiteral("Other Profit");
        Boxes boxes;
        for (int i = 0; i < boxCount; ++i)
            boxes[i] = items[i];
        run.add([&] { return where; }, stock, stock, boxes, items[1] + stock);
    }
}

QString fileName(const ExportFile &file) {
    return QFileInfo(file.path).fileName();
}
} // namespace

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

Outcome importDeals(const QString &databasePath, const ExportFile &file, const Progress &progress) {
    Outcome outcome;
    const QString name = fileName(file);
    try {
        QFile in(file.path);
        if (!in.open(QIODevice::ReadOnly))
            throw VolmeraError(QStringLiteral("Cannot read the export file %1: %2")
                                   .arg(file.path, in.errorString()));
        const QByteArray data = in.readAll();
        in.close();
        if (data.isEmpty())
            throw VolmeraError(
                QStringLiteral("The export file %1 is empty: there is nothing to import.")
                    .arg(name));
        Run run(databasePath, outcome);
        if (file.form == Form::Fixed)
            importFixed(run, name, data, progress);
        else
            importDelimited(run, Cp1252::decode(data));
        run.commit();
    } catch (const VolmeraError &e) {
        outcome.failure = e.description();
    } catch (const std::exception &e) {
        outcome.failure = QString::fromUtf8(e.what());
    }
    // The file is the only copy of its deals until every one of them is in the table.
    if (file.form == Form::Delimited && outcome.clean()) {
        if (QFile::remove(file.path))
            outcome.fileDeleted = true;
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
