#include "domain/entry/EntrySession.h"

#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ErrorTrap.h"
#include "domain/entry/FieldTable.h"

namespace {
const QString mayLose = QStringLiteral("YOU ARE ABOUT TO LOSE THIS RECORD.\nIS THIS WHAT YOU WANT "
                                       "TO DO");

bool blank(const ShownDeal &deal, int index) {
    return deal.boxes[index].trimmed().isEmpty();
}
} // namespace

bool EntrySession::adding() const {
    return appSettings().AddMode;
}

void EntrySession::setAdding(bool adding) {
    appSettings().AddMode = adding;
}

void EntrySession::show(const ShownDeal &deal) {
    shown = deal;
    if (shownChanged)
        shownChanged();
}

void EntrySession::reload() {
    show(bound.current());
}

void EntrySession::close(EntryStep &step, ErrorTrap &trap) {
    if (const auto pending = trap.take())
        step.message = EntryMessage{pending->first, Style::Critical, pending->second};
}

void EntrySession::open(const QString &path) {
    try {
        bound.open(path);
    } catch (...) {
        show(ShownDeal()); // nothing is bound
        throw;
    }
    reload();
}

void EntrySession::release() {
    bound.release();
    show(ShownDeal());
}

bool EntrySession::leave(const ShownDeal &now, EntryStep &step) {
    if (adding())
        return false;
    ErrorTrap trap(QStringLiteral("ZEL - DTA ZEL"));
    if (!trap.run([&] { bound.writeChanges(now, shown); })) {
        // The store refused the changes: the user stays on the deal with them.
        close(step, trap);
        step.focusDateSold = true;
        return false;
    }
    shown = now;
    return true;
}

EntryStep EntrySession::move(Action action, const ShownDeal &now) {
    EntryStep step;
    if (adding() || empty() || !leave(now, step))
        return step;
    ErrorTrap trap(QStringLiteral("ZEL - DTA ZEL"));
    trap.run([&] {
        Recordset &rs = bound.recordset();
        switch (action) {
        case First:
            rs.moveFirst();
            break;
        case Previous:
            rs.movePrevious();
            if (rs.bof())
                rs.moveFirst();
            break;
        case Next:
            rs.moveNext();
            if (rs.eof())
                rs.moveLast();
            break;
        default:
            rs.moveLast();
        }
    });
    reload();
    step.focusDateSold = true;
    close(step, trap);
    return step;
}

EntryStep EntrySession::add(const ShownDeal &now) {
    EntryStep step;
    if (adding())
        return step;
    if (!atEnd()) {
        step = move(Last, now);
        if (step.message)
            return step; // the deal on screen could not be left
    }
    // Add stops at its first failure without a message.
    try {
        bound.startNew();
    } catch (const std::exception &) {
        return step;
    }
    if (!appSettings().ImportBusy)
        setAdding(true);
    ShownDeal fresh;
    fresh.boxes[FieldTable::dateSold] = appSettings().TodayText;
    show(fresh);
    step.focusDateSold = true;
    return step;
}

EntryStep EntrySession::save(const ShownDeal &now) {
    EntryStep step;
    if (blank(now, FieldTable::dateSold) || blank(now, FieldTable::stockNumber) ||
        blank(now, FieldTable::lastName)) {
        step.message = EntryMessage{
            QStringLiteral("CAN'T SAVE RECORD WITHOUT A STOCK #,\nLast Name, and Date Sold"),
            Style::OK, QString()};
        return step;
    }
    // The deal is found again by its stock number as stored, trailing blanks and all.
    const QString stock = now.boxes[FieldTable::stockNumber];
    ErrorTrap trap(QStringLiteral("ZEL - SAVE CMD"));
    // A refused deal stays on screen in add mode with everything keyed.
    if (!trap.run([&] { bound.saveNew(now); })) {
        close(step, trap);
        return step;
    }
    setAdding(false);
    trap.run([&] { bound.recordset().requery(); });
    trap.run([&] { bound.recordset().findFirst(findCriteria("StkNbr", "=", stock)); });
    reload();
    step.focusDateSold = true;
    close(step, trap);
    return step;
}

EntryStep EntrySession::cancel() {
    EntryStep step;
    if (Prompter::current().msgBox(mayLose, Style::YesNo) != Answer::Yes)
        return step;
    ErrorTrap trap(QStringLiteral("ZEL - CANCEL CMD"));
    setAdding(false);
    bound.dropNew();
    trap.run([&] {
        if (!bound.eof() || !bound.bof())
            bound.recordset().moveFirst();
    });
    reload();
    // On an empty table Date Sold would start a new deal at once and undo the cancel.
    step.focusDateSold = !atEnd();
    close(step, trap);
    return step;
}

void EntrySession::dropNew() {
    setAdding(false);
    bound.dropNew();
}

EntryStep EntrySession::remove(const ShownDeal &now) {
    EntryStep step;
    if (adding() || blank(now, FieldTable::stockNumber))
        return step;
    const int answer = Prompter::current().msgBox(
        QStringLiteral("YOU ARE ABOUT TO DELETE THIS RECORD, IS THIS OK"), Style::YesNoCancel);
    if (answer != Answer::Yes)
        return step;
    // Delete stops at its first failure without a message.
    try {
        bound.deleteCurrent();
        Recordset &rs = bound.recordset();
        rs.moveNext();
        if (rs.eof())
            rs.moveLast();
    } catch (const std::exception &) {
        reload();
        return step;
    }
    reload();
    step.focusDateSold = true;
    return step;
}

EntryStep EntrySession::find(const ShownDeal &now) {
    EntryStep step;
    if (!leave(now, step))
        return step;
    ErrorTrap trap(QStringLiteral("ZEL - FIND CMD"));
    trap.run([&] { bound.recordset().requery(); });
    reload();
    Prompter &ask = Prompter::current();
    const int answer = ask.msgBox(QStringLiteral("FIND BY LAST NAME\n(If Not Then By Stock #)"),
                                  Style::YesNoCancel);
    if (answer == Answer::Cancel) {
        step.focusDateSold = true;
        close(step, trap);
        return step;
    }
    const bool byName = answer == Answer::Yes;
    const std::optional<QString> typed =
        ask.inputBox(byName ? QStringLiteral("ENTER LAST NAME") : QStringLiteral("ENTER STOCK #"),
                     QStringLiteral("FIND RECORD"));
    const QString value = typed.value_or(QString()).trimmed().left(byName ? 15 : 8);
    if (value.isEmpty()) {
        close(step, trap);
        return step;
    }
    const QString field = byName ? QStringLiteral("LNKey") : QStringLiteral("StkNbr");
    trap.run([&] {
        Recordset &rs = bound.recordset();
        // The answer is searched for as typed, quotes and all. The second search starts from
        // the top too, so that a first deal that sorts after the answer is found.
        rs.findFirst(findCriteria(field, QStringLiteral("="), value));
        if (rs.noMatch())
            rs.findFirst(findCriteria(field, QStringLiteral(">"), value));
    });
    reload();
    step.focusDateSold = true;
    close(step, trap);
    return step;
}
