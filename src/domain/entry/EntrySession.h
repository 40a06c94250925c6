#pragma once

#include "domain/entry/DealBinding.h"

#include <functional>
#include <optional>

class ErrorTrap;

// A message box the screen shows when a step ends: its text, style (buttons and icon) and title
// (empty: the application's).
struct EntryMessage {
    QString text;
    int style = 0;
    QString title;
    bool operator==(const EntryMessage &) const = default;
};

// What the screen does when a step of the record workflow is over.
struct EntryStep {
    bool focusDateSold = false; // the user goes on at Date Sold
    std::optional<EntryMessage> message;
};

// The record workflow of the entry screen without its windows: browse and add mode, the moves,
// Add, Save, Cancel, Delete and Find over the bound deals. Each step takes the deal as the boxes
// show it now; questions are asked through the Prompter; the deal to show is deal(), announced
// by shownChanged as soon as it changes (Find shows the first deal while it asks). The add mode
// is the program's AddMode flag, which the import and purge read too.
class EntrySession {
public:
    // The binding's operations, by their action codes.
    enum Action { Leave = 0, First = 1, Previous = 2, Next = 3, Last = 4, NewDeal = 5 };

    DealBinding &binding() { return bound; }
    bool adding() const;
    bool atEnd() const { return bound.eof(); }
    bool atStart() const { return bound.bof(); }
    // No deal to show: an empty table, or no database bound.
    bool empty() const { return !bound.isOpen() || (bound.eof() && bound.bof()); }

    // The deal the screen shows, as stored (a new deal: empty, with today in Date Sold).
    const ShownDeal &deal() const { return shown; }
    std::function<void()> shownChanged;

    // Binds to the database and shows its first deal; throws when it cannot.
    void open(const DatabaseAddress &address);
    // Releases the database file; nothing is shown.
    void release();
    // Shows the deal at the binding's position again.
    void reload();

    // Leaves the deal on screen, writing what the user changed, before a move, a find or
    // closing. False when the store refuses the changes (the message says why) or a new deal
    // is being added (nothing leaves it but Save and Cancel).
    bool leave(const ShownDeal &now, EntryStep &step);

    // First, previous, next or last; previous and next stop at the ends.
    EntryStep move(Action action, const ShownDeal &now);
    EntryStep add(const ShownDeal &now);
    EntryStep save(const ShownDeal &now);
    EntryStep cancel();
    EntryStep remove(const ShownDeal &now);
    EntryStep find(const ShownDeal &now);

    // The import and the purge leave add mode without a question; the new deal is dropped.
    void dropNew();

private:
    void setAdding(bool adding);
    void show(const ShownDeal &deal);
    static void close(EntryStep &step, ErrorTrap &trap);

    DealBinding bound;
    ShownDeal shown;
};
