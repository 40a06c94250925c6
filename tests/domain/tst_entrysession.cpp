#include "TestRegistry.h"
#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "domain/entry/EntryFormat.h"
#include "domain/entry/EntrySession.h"
#include "fixtures/EntryPrompts.h"
#include "fixtures/FormFixture.h"
#include "fixtures/StoreFixture.h"
#include "store/Audit.h"

#include <memory>

namespace {
using namespace EntryPrompts;
const QString badFind = "16|ZEL - FIND CMD|The deal database is not open.";

// A script row. Steps, separated by blanks: "6=TEXT" puts TEXT in box 6 on screen ("_" for a
// blank; boxes 1 and 20 rebuild the key, as leaving them does); Add Save Cancel Delete Find,
// and first previous next last. Answers, separated by "|": Y, N, C for message boxes, ">TEXT"
// for an input box. Expect, "name=value;...": a box index, key, mode (add or browse), at
// (position in the record set), deals (stored count), focus (the last step goes on at Date
// Sold: yes or no), FIELD@STOCK (a stored field), or audit@STOCK (the record of its changes:
// "when action stock field old>new" joined by " / ", "~" for a value not kept).
void row(const char *name, const char *steps, const char *answers, const char *expect,
         const QStringList &prompts = {}) {
    QTest::newRow(name) << QString(steps) << QString(answers) << QString(expect) << prompts;
}
} // namespace

// The entry screen's record workflow without its windows.
class EntrySessionTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FormFixture> fx;
    std::unique_ptr<EntrySession> session;
    ShownDeal screen; // what the boxes show
    EntryStep last;
    QStringList boxes; // every box shown, questions and closing messages

    // In key order: ADAMSA1, O'BRIENB7, SMITHA1234, SMITHC5, ZIMMERZ1.
    static void addDeals() {
        auto db = Database::open("ZELDB.mdb");
        auto rs = db->openRecordset(DealSchema::Table);
        const QDate sold(2024, 2, 1);
        StoreFixture::addDeal(*rs, "SMITH", "C5", {{"DateSold", sold}});
        StoreFixture::addDeal(*rs, "ADAMS", "A1", {{"DateSold", sold}, {"ByCity", "SALEM"}});
        StoreFixture::addDeal(*rs, "ZIMMER", "Z1", {{"DateSold", sold}});
        StoreFixture::addDeal(*rs, "O'BRIEN", "B7", {{"DateSold", sold}});
        StoreFixture::addDeal(*rs, "SMITH", "A1234", {{"DateSold", sold}});
    }

    void step(const QString &step) {
        static const QStringList moves = {"first", "previous", "next", "last"};
        if (const qsizetype m = moves.indexOf(step); m >= 0) {
            last = session->move(EntrySession::Action(m + 1), screen);
        } else if (step == "Add") {
            last = session->add(screen);
        } else if (step == "Save") {
            last = session->save(screen);
        } else if (step == "Cancel") {
            last = session->cancel();
        } else if (step == "Delete") {
            last = session->remove(screen);
        } else if (step == "Find") {
            last = session->find(screen);
        } else if (step.contains('=')) {
            const int index = step.section('=', 0, 0).toInt();
            screen.boxes[index] = step.section('=', 1).replace('_', ' ');
            if (index == 1 || index == 20)
                screen.lnKey = lnKey(screen.boxes[1], screen.boxes[20]);
            return;
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
        for (const ScriptedPrompter::Shown &b : fx->prompter.shown)
            boxes << (b.kind == "inputBox" ? QString("input") : QString::number(b.style)) + '|' +
                         b.title + '|' + b.text;
        fx->prompter.shown.clear();
        if (last.message)
            boxes << QString::number(last.message->style) + '|' + last.message->title + '|' +
                         last.message->text;
    }

    QString valueOf(const QString &name) {
        bool isBox = false;
        const int index = name.toInt(&isBox);
        if (isBox)
            return screen.boxes[index];
        if (name.startsWith("audit@")) {
            auto db = Database::open("ZELDB.mdb");
            QStringList rows;
            for (const Audit::Entry &e : Audit::history(*db, name.section('@', 1)))
                rows << QStringList{e.at.toString("yyyy-MM-dd HH:mm"), e.action, e.stock, e.field,
                                    e.oldValue.value_or("~") + '>' + e.newValue.value_or("~")}
                            .join(' ');
            return rows.join(" / ");
        }
        if (name.contains('@')) {
            auto db = Database::open("ZELDB.mdb");
            auto rs = db->openRecordset(DealSchema::Table);
            rs->findFirst(findCriteria("StkNbr", "=", name.section('@', 1)));
            return rs->noMatch() ? "(none)" : rs->field(name.section('@', 0, 0)).toString();
        }
        if (name == "key")
            return screen.lnKey;
        if (name == "mode")
            return session->adding() ? "add" : "browse";
        if (name == "empty")
            return session->empty() ? "yes" : "no";
        if (name == "focus")
            return last.focusDateSold ? "yes" : "no";
        if (name == "at")
            return QString::number(session->binding().recordset().absolutePosition());
        if (name == "deals") {
            auto db = Database::open("ZELDB.mdb");
            return QString::number(db->openRecordset(DealSchema::Table)->recordCount());
        }
        return "unknown check " + name;
    }

    void columns() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("expect");
        QTest::addColumn<QStringList>("prompts");
    }

    void runScript() {
        QFETCH(QString, steps);
        QFETCH(QString, answers);
        QFETCH(QString, expect);
        QFETCH(QStringList, prompts);
        // A first step "empty" opens a table without deals, "unbound" opens none (as a purge
        // that could not bind again leaves it).
        QStringList list = steps.split(' ', Qt::SkipEmptyParts);
        const QString setup =
            list.value(0) == "empty" || list.value(0) == "unbound" ? list.takeFirst() : QString();
        if (setup.isEmpty())
            addDeals();
        for (const QString &a : answers.split('|', Qt::SkipEmptyParts)) {
            if (a.startsWith('>'))
                fx->prompter.type(a.mid(1));
            else
                fx->prompter.answer(a == "Y"   ? Answer::Yes
                                    : a == "N" ? Answer::No
                                               : Answer::Cancel);
        }
        if (setup != "unbound")
            session->open("ZELDB.mdb");
        for (const QString &s : list) {
            step(s);
            if (QTest::currentTestFailed())
                return;
        }
        for (const QString &item : expect.split(';', Qt::SkipEmptyParts))
            QCOMPARE(item.section('=', 0, 0) + '=' + valueOf(item.section('=', 0, 0)), item);
        QCOMPARE(boxes, prompts);
    }

private Q_SLOTS:
    void init() {
        fx = std::make_unique<FormFixture>();
        createDealDatabase("ZELDB.mdb");
        Clock::setToday(QDate(2024, 3, 5));
        Clock::setNow(QDateTime(QDate(2024, 3, 5), QTime(9, 30)));
        appSettings().TodayText = Clock::todayText();
        session = std::make_unique<EntrySession>();
        session->shownChanged = [this] { screen = session->deal(); };
        screen = ShownDeal();
        last = EntryStep();
        boxes.clear();
    }

    void cleanup() {
        session.reset();
        fx.reset();
        Clock::setNow({});
    }

    void records_data() {
        columns();
        row("add opens an empty deal after the last", "Add", "",
            "at=4;0=03/05/2024;1=;20=;key=;mode=add;focus=yes");
        row("save without a last name", "Add 20=N1 6=SALEM Save", "",
            "0=03/05/2024;20=N1;6=SALEM;key=N1;mode=add;deals=5", {cantSave});
        row("save without a date sold", "Add 0=_ 1=NEWMAN 20=N1 Save", "",
            "1=NEWMAN;mode=add;deals=5", {cantSave});
        row("save without a stock number", "Add 1=NEWMAN 20=__ Save", "", "mode=add;deals=5",
            {cantSave});
        row("save", "Add 1=NEWMAN 20=N1 6=SALEM Save", "",
            "20=N1;key=NEWMANN1;mode=browse;focus=yes;deals=6;ByCity@N1=SALEM;"
            "DateSold@N1=2024-03-05;LNKey@N1=NEWMANN1;audit@N1="
            "2024-03-05 09:30 Add N1 DateSold >03/05/2024 / 2024-03-05 09:30 Add N1 ByLName ~>~ / "
            "2024-03-05 09:30 Add N1 ByCity ~>~ / 2024-03-05 09:30 Add N1 StkNbr >N1");
        row("save shows a stock number with a trailing blank", "Add 1=NEWMAN 20=N1_ Save", "",
            "20=N1 ;at=1;deals=6");
        row("duplicate stock keeps every keyed value", "Add 1=NEWMAN 20=C5 6=SALEM Save", "",
            "0=03/05/2024;1=NEWMAN;20=C5;6=SALEM;key=NEWMANC5;mode=add;deals=5;audit@C5=",
            {duplicate});
        row("duplicate stock corrected", "Add 1=NEWMAN 20=C5 6=SALEM Save 6= 20=N2 Save", "",
            "20=N2;mode=browse;deals=6;ByCity@N2=;LNKey@N2=NEWMANN2", {duplicate});
        row("cancel answered No", "Add 1=NEWMAN Cancel", "N", "1=NEWMAN;mode=add;deals=5",
            {askLose});
        row("cancel answered Yes", "last Add 1=NEWMAN Cancel", "Y",
            "20=A1;at=0;mode=browse;focus=yes;deals=5", {askLose});
        row("add refused while adding", "Add 1=NEWMAN Add", "", "1=NEWMAN;mode=add;deals=5");
        row("delete without a stock number", "20=_ Delete", "", "deals=5");
        row("delete answered No", "Delete", "N", "20=A1;deals=5", {askDelete});
        row("delete the last deal", "last Delete", "Y", "20=C5;at=3;deals=4;StkNbr@Z1=(none)",
            {askDelete});
        row("delete shows the next deal", "next Delete", "Y",
            "20=A1234;deals=4;StkNbr@B7=(none);audit@B7=2024-03-05 09:30 Delete B7 "
            "DateSold 02/01/2024> / 2024-03-05 09:30 Delete B7 ByLName ~>~ / 2024-03-05 09:30 "
            "Delete B7 StkNbr B7>",
            {askDelete});
        row("delete refused while adding", "Add 20=A1 Delete", "", "mode=add;deals=5");
        row("find by last name", "last Find", "Y|>smi", "20=A1234;focus=yes", {askFind, askName});
        row("find before the first deal", "last Find", "Y|>A", "20=A1", {askFind, askName});
        row("find after the last deal stays on the first", "last Find", "Y|>ZZZ", "20=A1",
            {askFind, askName});
        row("find with no name", "last Find", "Y|>", "20=A1;focus=no", {askFind, askName});
        row("find cancelled", "last Find", "C", "20=A1;focus=yes", {askFind});
        row("find a name with a quote", "Find", "Y|> o'brien ", "20=B7", {askFind, askName});
        row("find by stock number", "Find", "N|>c5", "20=C5", {askFind, askStock});
        row("find writes the edits first", "6=RIVERTON Find", "C", "ByCity@A1=RIVERTON", {askFind});
        row("find refused while adding", "Add Find", "", "mode=add");
    }
    void records() { runScript(); }

    void moves_data() {
        columns();
        row("next steps forward in key order", "next next", "", "20=A1234;at=2;focus=yes");
        row("previous on the first stays", "previous", "", "20=A1;at=0");
        row("next on the last stays", "last next", "", "20=Z1;at=4");
        row("previous steps back", "last previous", "", "20=C5");
        row("first", "last first", "", "20=A1");
        row("moves refused in add mode", "Add 1=NEWMAN next first previous last", "",
            "0=03/05/2024;1=NEWMAN;20=;at=4;mode=add;deals=5");
        row("edit written when the deal is left", "6=RIVERTON 11=Jo_Ann 18=9,000.50 next", "",
            "20=B7;ByCity@A1=RIVERTON;audit@A1=2024-03-05 09:30 Edit A1 ByCity ~>~ / "
            "2024-03-05 09:30 Edit A1 Salesman >Jo Ann / 2024-03-05 09:30 Edit A1 AmountFin "
            ">9,000.50");
        row("new key written", "next next 1=SMYTH previous", "",
            "20=B7;ByLName@A1234=SMYTH;LNKey@A1234=SMYTHA1234");
        row("edit refused stays on the deal", "1= next", "",
            "20=A1;1=;key=A1;focus=yes;ByLName@A1=ADAMS;audit@A1=", {noLastName});
        row("refused edit keeps Add away", "1= Add", "", "1=;mode=browse;deals=5", {noLastName});
        row("empty table: next", "empty next", "", "empty=yes;focus=no");
        row("empty table: add", "empty Add", "", "0=03/05/2024;mode=add");
        // Date Sold is not entered: on an empty table it would start a new deal at once.
        row("empty table: cancel", "empty Add Cancel", "Y", "focus=no;mode=browse", {askLose});
        row("unbound", "unbound Find next", "Y|>SMITH", "", {askFind, askName, badFind});
    }
    void moves() { runScript(); }
};

REGISTER_TEST(EntrySessionTest);
#include "tst_entrysession.moc"
