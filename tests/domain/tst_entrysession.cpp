#include "TestRegistry.h"
#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "domain/entry/EntryFormat.h"
#include "domain/entry/EntrySession.h"
#include "fixtures/EntryPrompts.h"
#include "fixtures/FormFixture.h"
#include "fixtures/GoldenTable.h"
#include "fixtures/StoreFixture.h"
#include "store/Audit.h"

#include <memory>

namespace {
using namespace EntryPrompts;
const QString badFind = "16|ZEL - FIND CMD|The deal database is not open.";

// The boxes a script names.
const QHash<QString, QString> named = {
    {"askLose", askLose},     {"askDelete", askDelete},   {"askFind", askFind},
    {"askName", askName},     {"askStock", askStock},     {"cantSave", cantSave},
    {"duplicate", duplicate}, {"noLastName", noLastName}, {"badFind", badFind}};
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

    // The scripts are the rows of entry/scripts.txt, which says how they are written.
    void scripts_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expect");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<QString>("answers");
        for (const QStringList &r : goldenTable("entry/scripts.txt")) {
            QStringList prompts;
            for (const QString &name : r.value(3).split(' ', Qt::SkipEmptyParts))
                prompts << named.value(name, "unknown box " + name);
            QTest::newRow(qPrintable(r.value(0)))
                << r.value(1) << r.value(2) << prompts << r.mid(4).join('|');
        }
    }
    void scripts() {
        QFETCH(QString, steps);
        QFETCH(QString, expect);
        QFETCH(QStringList, prompts);
        QFETCH(QString, answers);
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
};

REGISTER_TEST(EntrySessionTest);
#include "tst_entrysession.moc"
