#include "domain/reports/ReportLines.h"

#include "base/Pieces.h"
#include "domain/reports/DealSource.h"

ReportLines::ReportLines(const QStringList &lines) {
    *this << lines;
}

ReportLines::ReportLines(std::initializer_list<QString> lines) {
    for (const QString &line : lines)
        *this << line;
}

ReportLines::Data &ReportLines::writable() {
    if (!d)
        d = std::make_shared<Data>();
    else if (d.use_count() > 1)
        d = std::make_shared<Data>(*d);
    return *d;
}

ReportLines &ReportLines::operator<<(const QString &line) {
    Data &w = writable();
    w.items.push_back({-1, qint32(w.texts.size())});
    w.texts.push_back(line);
    return *this;
}

ReportLines &ReportLines::operator<<(const QStringList &lines) {
    for (const QString &line : lines)
        *this << line;
    return *this;
}

void ReportLines::listDeals(std::shared_ptr<DealSource> deals, int linesPerEntry, Entry entry) {
    Data &w = writable();
    w.cursor = {std::move(deals), -1, {}};
    w.linesPerEntry = linesPerEntry;
    w.make = std::move(entry);
}

void ReportLines::addEntry(const DealSource &current, int kind) {
    Data &w = writable();
    const auto entry = qint32(w.entries.size());
    w.entries.push_back({current.position(), qsizetype(w.items.size()), kind});
    for (int i = 0; i < w.linesPerEntry; ++i)
        w.items.push_back({entry, -1});
}

void ReportLines::listBlocks(Block block) {
    Data &w = writable();
    w.makeBlock = std::move(block);
    w.cursor.madeEntry = -1;
}

void ReportLines::addBlock(int block, int lineCount) {
    Data &w = writable();
    const auto entry = qint32(w.entries.size());
    w.entries.push_back({-1, qsizetype(w.items.size()), block});
    for (int i = 0; i < lineCount; ++i)
        w.items.push_back({entry, -1});
}

QString ReportLines::lineAt(Cursor &cursor, qsizetype i) const {
    Q_ASSERT(i >= 0 && i < size());
    const Item &item = d->items[size_t(i)];
    if (item.entry < 0)
        return d->texts[size_t(item.text)];
    const Listed &listed = d->entries[size_t(item.entry)];
    if (cursor.madeEntry != item.entry) {
        if (listed.row < 0) {
            d->makeBlock(listed.kind, cursor.made);
        } else {
            cursor.made.clear();
            cursor.deals->moveTo(listed.row);
            d->make(*cursor.deals, listed.kind, cursor.made);
        }
        cursor.madeEntry = item.entry;
    }
    return cursor.made.value(i - listed.firstLine);
}

QString ReportLines::at(qsizetype i) const {
    return lineAt(d->cursor, i);
}

QStringList ReportLines::toStringList() const {
    QStringList lines;
    lines.reserve(size());
    for (const QString &line : *this)
        lines << line;
    return lines;
}

qsizetype ReportLines::dealRow(qsizetype i) const {
    if (i < 0 || i >= size() || d->items[size_t(i)].entry < 0)
        return -1;
    return d->entries[size_t(d->items[size_t(i)].entry)].row;
}

const DealSource *ReportLines::deal(qsizetype i) const {
    const qsizetype row = dealRow(i);
    if (row < 0)
        return nullptr;
    d->cursor.deals->moveTo(row);
    return d->cursor.deals.get();
}

ReportLines::Cursor ReportLines::ownCursor() const {
    return {d && d->cursor.deals ? d->cursor.deals->reader() : nullptr, -1, {}};
}

ReportLines::InOrder::InOrder(const ReportLines &lines)
    : lines(lines), own(lines.ownCursor()),
      pieces((lines.size() + pieceLines - 1) / pieceLines,
             [this](qsizetype piece, bool second, QStringList &into) {
                 Cursor &cursor = second ? own : this->lines.d->cursor;
                 const qsizetype end = std::min(this->lines.size(), (piece + 1) * pieceLines);
                 into.reserve(end - piece * pieceLines);
                 for (qsizetype i = piece * pieceLines; i < end; ++i)
                     into << this->lines.lineAt(cursor, i);
             }) {}

QString ReportLines::InOrder::at(qsizetype i) {
    const qsizetype piece = i / pieceLines;
    while (currentPiece < piece) {
        before = std::move(current);
        current = pieces.next();
        ++currentPiece;
    }
    if (piece == currentPiece)
        return current.at(i - piece * pieceLines);
    if (piece == currentPiece - 1)
        return before.at(i - piece * pieceLines);
    return lines.at(i);
}

void ReportLines::encode(const Encode &encode,
                         const std::function<void(const QByteArray &)> &write) const {
    const qsizetype count = size();
    // The second thread makes its entries from a cursor of its own over the same deals.
    Cursor own = ownCursor();
    makeInPieces((count + pieceLines - 1) / pieceLines,
                 [&](qsizetype piece, bool second, QByteArray &into) {
                     Cursor &cursor = second ? own : d->cursor;
                     for (qsizetype i = piece * pieceLines;
                          i < std::min(count, (piece + 1) * pieceLines); ++i)
                         encode(into, i, lineAt(cursor, i));
                 },
                 write);
}
