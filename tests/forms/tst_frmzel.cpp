#include "TestRegistry.h"
#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "fixtures/EntryPrompts.h"
#include "fixtures/FormFixture.h"
#include "fixtures/Golden.h"
#include "fixtures/StoreFixture.h"
#include "forms/EntryBox.h"
#include "forms/NavigationBar.h"
#include "forms/frmZEL.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <memory>

namespace {
using namespace EntryPrompts;
const QString badDate = "0||ERROR - INVALID DATE";

// A script row. Steps, separated by blanks: "6=TEXT" tabs into box 6 and types TEXT ("6="
// empties it with Alt+Delete, "6" only enters it); 'TEXT types into the focused control;
// PgUp PgDn ^End ^Home Home End Bksp Enter F10 AltDel tab ^F are keys to the focused control;
// Add Save Cancel Delete Find click the buttons; first previous next last click the arrows;
// mnuNAME picks a menu item.
// Answers, separated by "|": Y, N, C for message boxes, ">TEXT" for an input box.
// Expect, "name=value;...": a box index, key (LName Key), fi, profit, caption, caret, focus,
// fromEnd (the boxes whose caret is not at the start, so that they show their text's end),
// at (position in the record set), deals (stored count), or FIELD@STOCK (a stored field).
void row(const char *name, const char *steps, const char *answers, const char *expect,
         const QStringList &prompts = {}) {
    QTest::newRow(name) << QString(steps) << QString(answers) << QString(expect) << prompts;
}
} // namespace

class EntryScreenTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FormFixture> fx;
    ScriptedPrompter *prompter = nullptr;
    std::unique_ptr<frmZEL> form;

    // In key order: ADAMSA1, O'BRIENB7, SMITHA1234, SMITHC5, ZIMMERZ1.
    static void addDeals() {
        auto db = Database::open("ZELDB.mdb");
        auto rs = db->openRecordset(DealSchema::Table);
        const QDate sold(2024, 2, 1);
        StoreFixture::addDeal(*rs, "SMITH", "C5", {{"DateSold", sold}, {"FinRes", "400.00"}});
        StoreFixture::addDeal(*rs, "ADAMS", "A1",
                              {{"DateSold", sold},
                               {"FinRes", "100.00"},
                               {"ByCity", "SALEM"},
                               {"Salesman", "IVES" + QString(26, ' ')},
                               {"Term", "36"},
                               {"Year", "2024"},
                               {"ByStateZip", "IL"},
                               {"AmountFin", "950.00"}});
        StoreFixture::addDeal(*rs, "ZIMMER", "Z1", {{"DateSold", sold}, {"FinRes", "500.00"}});
        StoreFixture::addDeal(*rs, "O'BRIEN", "B7", {{"DateSold", sold}, {"FinRes", "200.00"}});
        StoreFixture::addDeal(*rs, "SMITH", "A1234", {{"DateSold", sold}, {"FinRes", "300.00"}});
    }

    bool openScreen() {
        form = std::make_unique<frmZEL>();
        form->show();
        QApplication::setActiveWindow(form.get());
        return QTest::qWaitForWindowActive(form.get());
    }

    void step(const QString &step) {
        static const QStringList names = {"PgUp", "PgDn",  "^End", "^Home",  "Home", "End",
                                          "Bksp", "Enter", "F10",  "AltDel", "tab",  "^F"};
        static const QKeyCombination keys[] = {
            Qt::Key_PageUp,           Qt::Key_PageDown, Qt::CTRL | Qt::Key_End,
            Qt::CTRL | Qt::Key_Home,  Qt::Key_Home,     Qt::Key_End,
            Qt::Key_Backspace,        Qt::Key_Return,   Qt::Key_F10,
            Qt::ALT | Qt::Key_Delete, Qt::Key_Tab,      Qt::CTRL | Qt::Key_F};
        QWidget *focus = QApplication::focusWidget();
        bool isBox = false;
        const int index = step.section('=', 0, 0).toInt(&isBox);
        if (const qsizetype k = names.indexOf(step); k >= 0) {
            QTest::keyClick(focus, keys[k].key(), keys[k].keyboardModifiers());
        } else if (step.startsWith('\'')) {
            QTest::keyClicks(focus, step.mid(1).replace('_', ' '));
        } else if (auto *item = form->findChild<QAction *>(step)) {
            item->trigger();
        } else if (auto *b = form->findChild<QAbstractButton *>("cmd" + step)) {
            QTest::mouseClick(b, Qt::LeftButton);
        } else if (auto *arrow = form->findChild<QAbstractButton *>("dtaZEL_" + step)) {
            QTest::mouseClick(arrow, Qt::LeftButton);
        } else if (isBox) {
            EntryBox *box = form->txtZEL[index];
            box->setFocus(Qt::TabFocusReason);
            const QString text = step.section('=', 1);
            if (step.contains('=') && text.isEmpty())
                QTest::keyClick(box, Qt::Key_Delete, Qt::AltModifier);
            QTest::keyClicks(box, text);
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }

    QString valueOf(const QString &name) {
        bool isBox = false;
        const int index = name.toInt(&isBox);
        if (isBox)
            return form->txtZEL[index]->text();
        if (name.contains('@')) {
            auto db = Database::open("ZELDB.mdb");
            auto rs = db->openRecordset(DealSchema::Table);
            rs->findFirst(findCriteria("StkNbr", "=", name.section('@', 1)));
            return rs->noMatch() ? "(none)" : rs->field(name.section('@', 0, 0)).toString();
        }
        QWidget *focus = QApplication::focusWidget();
        const QMap<QString, std::function<QString()>> values = {
            {"key", [&] { return form->txtLNmKey->text(); }},
            {"fi", [&] { return form->lblTtlFIRes->text(); }},
            {"profit", [&] { return form->lblTtlPrft->text(); }},
            {"caption", [&] { return form->dtaZEL->caption(); }},
            {"focus", [&] { return focus ? focus->objectName() : QString(); }},
            {"caret",
             [&] { return QString::number(qobject_cast<QLineEdit *>(focus)->cursorPosition()); }},
            {"at", [&] { return QString::number(form->binding().recordset().absolutePosition()); }},
            {"fromEnd",
             [&] {
                 QStringList late;
                 for (QLineEdit *box : form->findChildren<QLineEdit *>())
                     if (box->cursorPosition() > 0)
                         late << box->objectName();
                 return late.join(',');
             }},
            {"deals", [&] {
                 auto db = Database::open("ZELDB.mdb");
                 return QString::number(db->openRecordset(DealSchema::Table)->recordCount());
             }}};
        return values.contains(name) ? values[name]() : "unknown check " + name;
    }

    // Buttons, menus and caption all tell the same mode.
    void checkMode() {
        const bool adding = appSettings().AddMode;
        QCOMPARE(form->dtaZEL->caption() == "Add Mode", adding);
        for (QWidget *w : {form->cmdSave, form->cmdCancel})
            QCOMPARE(w->isEnabled(), adding);
        for (QWidget *w : {form->cmdAdd, form->cmdFind, form->cmdDelete})
            QCOMPARE(w->isEnabled(), !adding);
        for (QAction *a : {form->mnuAddRec, form->mnuFindRecord, form->mnuDelRecord,
                           form->mnuReports->menuAction()})
            QCOMPARE(a->isEnabled(), !adding);
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
        addDeals();
        for (const QString &a : answers.split('|', Qt::SkipEmptyParts)) {
            if (a.startsWith('>'))
                prompter->type(a.mid(1));
            else
                prompter->answer(a == "Y" ? Answer::Yes : a == "N" ? Answer::No : Answer::Cancel);
        }
        QVERIFY(openScreen());
        for (const QString &s : steps.split(' ', Qt::SkipEmptyParts)) {
            step(s);
            if (QTest::currentTestFailed())
                return;
        }
        for (const QString &item : expect.split(';', Qt::SkipEmptyParts))
            QCOMPARE(item.section('=', 0, 0) + '=' + valueOf(item.section('=', 0, 0)), item);
        QCOMPARE(fx->shown(), prompts);
        checkMode();
    }

private Q_SLOTS:
    void init() {
        fx = std::make_unique<FormFixture>();
        prompter = &fx->prompter;
        appSettings().DatabasePath = ".\\ZELDB.mdb";
        appSettings().VersionText = "VER8.10";
        appSettings().DealerName = "ACE MOTORS";
        createDealDatabase("ZELDB.mdb");
        Clock::setToday(QDate(2024, 3, 5));
    }

    void cleanup() {
        form.reset();
        fx.reset();
    }

    // All on the first deal, ADAMS A1: city SALEM, state IL, Finance Reserve 100.00.
    void keys_data() {
        columns();
        // A text box refuses comma and quote, an amount box comma and slash, a date box minus
        // and point.
        row("keys refused by kind", "6=,\"X 31=12,5/ 8=1-2.3/4", "", "6=X;31=125.00;8=123/4");
        row("key at caret 0 replaces the field", "6 Home 'X", "", "6=X");
        row("key elsewhere inserts", "6 End 'X", "", "6=SALEMX");
        row("blanks typed", "5 'A_B", "", "5=A B");
        row("Backspace at caret 0 empties", "6 Home Bksp", "", "6=");
        row("Backspace elsewhere deletes one", "6 End Bksp", "", "6=SALE");
        row("Enter at caret 0 empties a text box", "6 Home Enter", "", "6=");
        row("Enter refused in an amount box", "31 Enter", "", "31=100");
        row("Enter never empties a date, a number or a year",
            "8=1/5/04 tab 8 Enter 8 Home Enter 13 Home Enter 22 Home Enter", "",
            "8=01/05/2004;13=36;22=2024");
        row("Alt+Delete empties", "6 AltDel", "", "6=");
        row("F10 restores the entry text", "6=XYZ F10", "", "6=SALEM");
        row("F10 restores an amount as entered", "31=9 F10", "", "31=100");
        row("F10 in the next box restores its own", "6=XYZ tab 'Q F10", "", "6=XYZ;7=IL");
    }
    void keys() { runScript(); }

    void leaving_data() {
        columns();
        row("amount entered as its value", "18", "", "18=950;caret=0");
        row("first digit replaces the amount", "18=9", "", "18=9");
        row("amount completed", "18=1500 tab", "", "18=1500.00");
        row("rejected date emptied", "8=13/45/2004 tab", "", "8=", {badDate});
        row("every box shows its text from its start", "PgUp PgDn", "", "fromEnd=");
        row("from its start when entered and left", "6=RIVERTON tab tab tab tab tab", "",
            "fromEnd=;focus=txtZEL_11");
        row("birth year a century back", "8=1/5/30 tab 9=3/6/24 tab", "",
            "8=01/05/1930;9=03/06/1924");
        row("birth date of today", "9=3/5/24 tab", "", "9=03/05/2024");
        row("date typed after Add replaces today's", "Add '1/5/04 tab", "", "0=01/05/2004");
        row("date typed after Page Up replaces it", "PgUp '2/3/24 tab", "", "0=02/03/2024");
        row("date typed at its end replaces it", "42=3/4/2024 tab 42 End '5/6/24 tab", "",
            "42=05/06/2024");
        row("last name rebuilds the key", "PgUp PgUp 1=SMYTH tab", "", "key=SMYTHA1234");
        row("stock number rebuilds the key", "PgUp PgUp 20=A77 tab", "", "key=SMITHA77");
        row("Tab from Admin Fee returns to Date Sold", "PgUp 43 tab", "", "focus=txtZEL_0;20=B7");
        row("totals of the deal, to the last box", "Add 31=300 26=1200 43=50 tab", "",
            "fi=300.00;profit=1550.00");
    }
    void leaving() { runScript(); }

    // The wiring of the record workflow: buttons, menus, keys and arrows, and what the screen
    // shows after.
    void records_data() {
        columns();
        row("save", "Add 1=NEWMAN 20=N1 6=SALEM Save", "",
            "20=N1;key=NEWMANN1;caption=  RECORD;focus=txtZEL_0;deals=6;ByCity@N1=SALEM");
        row("duplicate stock keeps every keyed value", "Add 1=NEWMAN 20=C5 6=SALEM 31=12 Save", "",
            "0=03/05/2024;1=NEWMAN;20=C5;6=SALEM;31=12.00;key=NEWMANC5;deals=5", {duplicate});
        row("cancel answered Yes", "^End Add 1=NEWMAN Cancel", "Y",
            "20=A1;fi=100.00;caption=  RECORD;deals=5", {askLose});
        row("delete shows the next deal", "PgUp mnuDelRecord", "Y",
            "20=A1234;fi=300.00;deals=4;StkNbr@B7=(none)", {askDelete});
        row("find by last name", "^End Find", "Y|>smi", "20=A1234;fi=300.00", {askFind, askName});
        row("Ctrl+F finds", "6 ^F", "N|>c5", "20=C5;focus=txtZEL_0", {askFind, askStock});
        row("Ctrl+F refused in add mode", "Add ^F", "", "caption=Add Mode");
        row("Page Up steps forward in key order", "PgUp PgUp", "", "20=A1234;fi=300.00");
        row("Ctrl+Home", "^End ^Home", "", "20=A1;fi=100.00");
        row("arrows", "last previous", "", "20=C5;fi=400.00");
        row("moves refused in add mode", "Add 1=NEWMAN PgUp ^Home ^End first previous next last",
            "", "0=03/05/2024;1=NEWMAN;20=;fi=0.00;at=4;caption=Add Mode;deals=5");
    }
    void records() { runScript(); }

    // Alt+F is the File menu's, every time.
    void fileMenuKey() {
        addDeals();
        QVERIFY(openScreen());
        for (int press = 0; press < 2; ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
            QTRY_VERIFY(form->mnuFile->isVisible());
            form->mnuFile->close();
            QTRY_VERIFY(!form->mnuFile->isVisible());
        }
        QCOMPARE(fx->shown(), QStringList());
    }

    void emptyTable() {
        QVERIFY(openScreen());
        prompter->answer(Answer::Yes);
        // Date Sold has the focus at once and starts a new deal; a cancel holds.
        QCOMPARE(valueOf("caption"), "Add Mode");
        QCOMPARE(valueOf("0"), "03/05/2024");
        form->cmdCancel->click(); // as Alt+C does, leaving the focus in Date Sold
        QCOMPARE(valueOf("caption"), "  RECORD");
        QCOMPARE(prompter->shown.size(), 1);
        // Help opened from the keyboard and closed leaves the mode as it is.
        QTimer::singleShot(0, [] {
            if (QWidget *help = QApplication::activeModalWidget())
                help->close();
        });
        QTest::keyClick(form->txtZEL[0], Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(form->mnuHelp->isVisible());
        QTest::keyClick(form->mnuHelp, Qt::Key_R);
        QCOMPARE(valueOf("caption"), "  RECORD");
        // A click on Date Sold starts a new deal.
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->cmdAdd->setFocus();
        QTest::mouseClick(form->txtZEL[0], Qt::LeftButton);
        QCOMPARE(valueOf("caption"), "Add Mode");
        QCOMPARE(valueOf("0"), "03/05/2024");
        checkMode();
    }

    // Each box where the screen's size puts it, with its font; the other-profit descriptions
    // look like the boxes they are, empty or not; every caption fits its control: a label or
    // check box its size, a button's text its face.
    void layout() {
        QVERIFY(openScreen());
        QStringList boxes; // "name QRect(x,y widthxheight) font size"
        for (const EntryBox *box : form->txtZEL) {
            QString line;
            QDebug(&line).noquote().nospace()
                << box->objectName() << ' ' << box->geometry() << ' ' << box->font().pointSizeF();
            boxes << line;
        }
        QCOMPARE(boxes, goldenLines("forms/entry-boxes.txt"));
        for (int index : {35, 37, 39}) {
            const EntryBox *box = form->txtZEL[index];
            QCOMPARE(box->palette().color(QPalette::Base),
                     form->txtZEL[36]->palette().color(QPalette::Base));
            QCOMPARE(box->palette().color(QPalette::Text), QColor(Qt::blue));
            QCOMPARE(box->placeholderText(), QString("Other Profit %1").arg((index - 33) / 2));
            QVERIFY(box->isEnabled() && !box->isReadOnly());
        }
        for (QWidget *w : form->Picture1->findChildren<QWidget *>()) {
            QSize need;
            if (qobject_cast<QLabel *>(w) || qobject_cast<QCheckBox *>(w))
                need = w->sizeHint();
            else if (auto *b = qobject_cast<QPushButton *>(w))
                need = QSize(b->fontMetrics().horizontalAdvance(b->text().remove('&')) + 8,
                             b->fontMetrics().height());
            QVERIFY2(need.width() <= w->width() && need.height() <= w->height(),
                     qPrintable(w->objectName()));
        }
    }

    // Made smaller than its controls need, the screen scrolls; Tab brings the box into view.
    void smallWindowScrolls() {
        addDeals();
        QVERIFY(openScreen());
        auto *scroller = form->findChild<QScrollArea *>("scrollPanel");
        QVERIFY(scroller != nullptr);
        QVERIFY(!scroller->horizontalScrollBar()->isVisible());
        QVERIFY(!scroller->verticalScrollBar()->isVisible());
        form->resize(300, 200);
        QTRY_VERIFY(scroller->verticalScrollBar()->isVisible());
        QVERIFY(scroller->horizontalScrollBar()->isVisible());
        QVERIFY(form->Picture1->rect().contains(form->Picture1->childrenRect()));
        form->txtZEL[18]->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form->txtZEL[18], Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form->txtZEL[19]);
        QTRY_VERIFY(scroller->viewport()->rect().contains(QRect(
            form->txtZEL[19]->mapTo(scroller->viewport(), QPoint()), form->txtZEL[19]->size())));
        QVERIFY(scroller->verticalScrollBar()->value() > 0);
    }

    // Each part of the bar from its left end at the top to its right end at the bottom, and
    // nothing just above or below it; past the last arrow, nothing.
    void navigationTooltip_data() {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<QString>("tip");
        QTest::newRow("first") << 0 << 285 << "First Record";
        QTest::newRow("previous") << 286 << 570 << "Previous Record";
        QTest::newRow("caption") << 571 << 1799 << "";
        QTest::newRow("next") << 1800 << 2099 << "Next Record";
        QTest::newRow("last") << 2100 << 2500 << "Last Record";
        QTest::newRow("past the end") << 2501 << 2600 << "";
    }
    void navigationTooltip() {
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(QString, tip);
        const int middle = (left + right) / 2;
        QCOMPARE(NavigationBar::tooltipAt(left, 0), tip);
        QCOMPARE(NavigationBar::tooltipAt(middle, 100), tip);
        QCOMPARE(NavigationBar::tooltipAt(right, 345), tip);
        QCOMPARE(NavigationBar::tooltipAt(left, -1), QString());
        QCOMPARE(NavigationBar::tooltipAt(right, 346), QString());
        if (left > 2500)
            return;
        // The pointer over the real bar, in its pixels.
        QVERIFY(openScreen());
        NavigationBar *bar = form->dtaZEL;
        QTest::mouseMove(bar, QPoint(middle * bar->width() / 2500, 100 / 15));
        QTRY_COMPARE(bar->toolTip(), tip);
    }
};

REGISTER_TEST(EntryScreenTest);
#include "tst_frmzel.moc"
