#pragma once

#include "base/Pieces.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class DealSource;

// The list lines of a built report, as the screen, the printout and the command line read them.
// A line is kept as text (a heading, a sub total, an empty line), or it is a line of a listed
// deal's entry and is made from the deal when it is read: a log lists a hundred thousand deals,
// and only the lines read are made, one entry at a time. Each line of an entry knows its deal.
// A block of figures is made when read in the same way.
// Copies share their lines.
class ReportLines {
    // Where entries are made from: the deals, and the entry made last, as lines are mostly
    // read in order. A second thread reading the lines has one of its own.
    struct Cursor {
        std::shared_ptr<DealSource> deals;
        qsizetype madeEntry = -1;
        QStringList made;
    };

public:
    // Makes the lines of one entry from its deal (the source's current one). kind tells apart
    // the entries one deal may give, such as a buyer's and a co-buyer's.
    using Entry = std::function<void(const DealSource &deal, int kind, QStringList &lines)>;
    // Sets lines to the lines of one block of figures, by its number; lines holds the lines it
    // set last for the same reader, whose room it may use again. Like an entry, it may be called
    // from two threads at once (encode), so it reads only what it keeps.
    using Block = std::function<void(int block, QStringList &lines)>;

    ReportLines() = default;
    ReportLines(const QStringList &lines);
    ReportLines(std::initializer_list<QString> lines);

    qsizetype size() const { return d ? qsizetype(d->items.size()) : 0; }
    bool isEmpty() const { return size() == 0; }
    QString at(qsizetype i) const;
    QString operator[](qsizetype i) const { return at(i); }
    // The line at i; "" beyond the list.
    QString value(qsizetype i) const { return i >= 0 && i < size() ? at(i) : QString(); }
    QString first() const { return at(0); }
    QString last() const { return at(size() - 1); }
    QStringList toStringList() const;

    // Every line turned into bytes, in order, a piece at a time: encode appends line i to a
    // piece, write takes the pieces in turn. A long list of deals is made on two threads, each
    // piece on one, so encode must be safe to call from both; write runs on the caller's.
    using Encode = std::function<void(QByteArray &piece, qsizetype i, const QString &line)>;
    void encode(const Encode &encode, const std::function<void(const QByteArray &)> &write) const;

    // The lines read from the first on, as a printout reads them: made a piece at a time ahead,
    // on two threads as encode makes them. A line of the piece read last or the one before it
    // is at hand; one further back is made again.
    class InOrder {
    public:
        explicit InOrder(const ReportLines &lines);
        QString at(qsizetype i);
        // The line at i; "" beyond the list.
        QString value(qsizetype i) { return i >= 0 && i < lines.size() ? at(i) : QString(); }

    private:
        const ReportLines &lines;
        Cursor own; // the second thread's
        QStringList before, current;
        qsizetype currentPiece = -1;
        PiecesInTurn<QStringList> pieces; // last: its thread reads the rest
    };

    // The deal a line lists, by its row in the report's selection; -1 for a line of no deal.
    qsizetype dealRow(qsizetype i) const;
    // The deal a line lists, made the current one of a source of the report's deals (the
    // fields the report reads), valid until the next call; null for a line of no deal.
    const DealSource *deal(qsizetype i) const;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = QString;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = QString;
        const_iterator(const ReportLines *lines, qsizetype i) : lines(lines), i(i) {}
        QString operator*() const { return lines->at(i); }
        const_iterator &operator++() {
            ++i;
            return *this;
        }
        bool operator==(const const_iterator &other) const { return i == other.i; }
        bool operator!=(const const_iterator &other) const { return i != other.i; }

    private:
        const ReportLines *lines;
        qsizetype i;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    // Building: lines kept as text.
    ReportLines &operator<<(const QString &line);
    ReportLines &operator<<(const QStringList &lines);
    void append(const QString &line) { *this << line; }
    // The entries added from now on have linesPerEntry lines, made by entry from deals: a source
    // of the build's deals with a cursor of its own (DealSource::reader).
    void listDeals(std::shared_ptr<DealSource> deals, int linesPerEntry, Entry entry);
    // Adds an entry of the build's current deal.
    void addEntry(const DealSource &current, int kind = 0);
    // Blocks of lines of no deal, made by block when read: a report of thousands of blocks of
    // figures keeps their figures, not their text. A block added has lineCount lines.
    void listBlocks(Block block);
    void addBlock(int block, int lineCount);

private:
    struct Item {
        qint32 entry; // in entries; -1 for a line kept as text
        qint32 text;  // in texts, for a line kept as text
    };
    struct Listed {
        qsizetype row; // -1 for a block
        qsizetype firstLine;
        int kind; // the block's number for a block
    };
    struct Data {
        std::vector<Item> items;
        std::vector<QString> texts;
        std::vector<Listed> entries;
        Entry make;
        Block makeBlock;
        int linesPerEntry = 0;
        Cursor cursor;
    };
    // The lines of a piece: about a hundred kilobytes, few hand-overs, little held at once.
    static constexpr qsizetype pieceLines = 2048;
    Cursor ownCursor() const;
    Data &writable();
    QString lineAt(Cursor &cursor, qsizetype i) const;

    std::shared_ptr<Data> d;
};
