#include "domain/reports/ReportLines.h"

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
    w.deals = std::move(deals);
    w.linesPerEntry = linesPerEntry;
    w.make = std::move(entry);
    w.madeEntry = -1;
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
    w.madeEntry = -1;
}

void ReportLines::addBlock(int block, int lineCount) {
    Data &w = writable();
    const auto entry = qint32(w.entries.size());
    w.entries.push_back({-1, qsizetype(w.items.size()), block});
    for (int i = 0; i < lineCount; ++i)
        w.items.push_back({entry, -1});
}

const QStringList &ReportLines::entryLines(qsizetype entry) const {
    if (d->madeEntry != entry) {
        const Listed &listed = d->entries[size_t(entry)];
        d->made.clear();
        if (listed.row < 0) {
            d->makeBlock(listed.kind, d->made);
        } else {
            d->deals->moveTo(listed.row);
            d->make(*d->deals, listed.kind, d->made);
        }
        d->madeEntry = entry;
    }
    return d->made;
}

QString ReportLines::at(qsizetype i) const {
    Q_ASSERT(i >= 0 && i < size());
    const Item &item = d->items[size_t(i)];
    if (item.entry < 0)
        return d->texts[size_t(item.text)];
    return entryLines(item.entry).value(i - d->entries[size_t(item.entry)].firstLine);
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
    d->deals->moveTo(row);
    return d->deals.get();
}
