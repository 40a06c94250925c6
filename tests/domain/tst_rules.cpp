#include "TestRegistry.h"
#include "base/Clock.h"
#include "base/ErrorTrap.h"
#include "base/ScriptedPrompter.h"
#include "domain/entry/DateCheck.h"
#include "domain/entry/EntryFormat.h"
#include "domain/entry/KeyRules.h"
#include "domain/entry/ScreenFit.h"
#include "domain/entry/Totals.h"
#include "fixtures/GoldenTable.h"

#include <QRect>

namespace {
// "31=300;32=250.50" as the 44 box texts.
QStringList boxes(const QString &spec) {
    QStringList texts(44);
    for (const QString &item : spec.split(u';', Qt::SkipEmptyParts))
        texts[item.section(u'=', 0, 0).toInt()] = item.section(u'=', 1);
    return texts;
}
// The boxes DateCheck may show, as text|style|title (the default title is empty).
const QString badFormat = "INVALID DATE - DATE FORMAT IS (##/##/####)|16|",
              badDate = "ERROR - INVALID DATE|0|";
} // namespace

class EntryRulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { Clock::setToday(QDate()); }

    void validKey_data() {
        QTest::addColumn<QChar>("kind");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("accepted");
        auto rows = [](char kind, std::initializer_list<int> taken,
                       std::initializer_list<int> not_) {
            for (bool accepted : {true, false})
                for (int code : accepted ? taken : not_)
                    QTest::addRow("%c %d", kind, code) << QChar(kind) << code << accepted;
        };
        rows('S', {'a', '-', '/', '\r', '\b', 0, 31, ' ', 122}, {',', '"', 123, 127, 255, 256, -1});
        rows('V', {'0', '9', '-', '+', '*', '.', '\b'}, {',', '/', '\r', ' ', ')', ':', 'a'});
        rows('N', {'0', '9', '\r', 31}, {'-', '.', '/', ':', ' ', 'a'});
        rows('D', {'/', '0', '9', '\r'}, {'-', '.', ' ', ':'});
        rows('K', {'A', 'Z', 'a', 'z', '-', '0', '9'}, {'/', '.', ':', '@', '[', '`', '{', ','});
    }
    void validKey() {
        QFETCH(QChar, kind);
        QFETCH(int, code);
        QFETCH(bool, accepted);
        int key = code;
        QCOMPARE(ValidKey(kind, key), accepted);
        QCOMPARE(key, accepted ? code : 0);
    }

    void specialKeyAction_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<NavAction>("action");
        const int ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
        QTest::newRow("PgUp steps forward") << int(Qt::Key_PageUp) << 0 << NavAction::Next;
        QTest::newRow("keypad PgUp")
            << int(Qt::Key_PageUp) << int(Qt::KeypadModifier) << NavAction::Next;
        QTest::newRow("Shift+PgUp") << int(Qt::Key_PageUp) << shift << NavAction::None;
        QTest::newRow("PgDn steps back") << int(Qt::Key_PageDown) << 0 << NavAction::Previous;
        QTest::newRow("Ctrl+Shift+End") << int(Qt::Key_End) << (ctrl | shift) << NavAction::Last;
        QTest::newRow("Ctrl+Home") << int(Qt::Key_Home) << ctrl << NavAction::First;
        QTest::newRow("Ctrl+Shift+S")
            << int(Qt::Key_S) << (ctrl | shift) << NavAction::OpenSettings;
    }
    void specialKeyAction() {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(NavAction, action);
        QCOMPARE(::specialKeyAction(key, Qt::KeyboardModifiers(mods)), action);
    }

    void dateCheck_data() {
        QTest::addColumn<QChar>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("thisYear");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message");
        for (const QStringList &r : goldenTable("entry/date-check.txt"))
            QTest::addRow("%s '%s' %s", qPrintable(r.value(0)), qPrintable(r.value(1)),
                          qPrintable(r.value(2)))
                << r.value(0).at(0) << r.value(1) << r.value(2).toInt() << r.value(3)
                << (r.value(4) == "format" ? badFormat
                    : r.value(4) == "date" ? badDate
                                           : QString());
    }
    void dateCheck() {
        QFETCH(QChar, kind);
        QFETCH(QString, text);
        QFETCH(int, thisYear);
        QFETCH(QString, expected);
        QFETCH(QString, message);
        Clock::setToday(QDate(thisYear, 3, 10));
        ScriptedPrompter prompter;
        PrompterScope scope(&prompter);
        QCOMPARE(DateCheck(kind, text), expected);
        QStringList shown; // text|style|title of every box
        for (const ScriptedPrompter::Shown &box : prompter.shown)
            shown << QString("%1|%2|%3").arg(box.text).arg(box.style).arg(box.title);
        QCOMPARE(shown.join(u'\n'), message);
    }

    void boxText_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("left");
        for (const QStringList &r : goldenTable("entry/box-text.txt"))
            QTest::addRow("%s '%s'", qPrintable(r.value(0)), qPrintable(r.value(1)))
                << r.value(0).toInt() << r.value(1) << r.value(2) << r.value(3);
    }
    void boxText() {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QString, entered);
        QFETCH(QString, left);
        ScriptedPrompter prompter;
        PrompterScope scope(&prompter);
        QCOMPARE(entryText(index, text), entered);
        QCOMPARE(leaveText(index, text), left);
        QCOMPARE(prompter.shown.size(), left.isEmpty() && !text.isEmpty() ? 1 : 0);
    }

    void totals_data() {
        QTest::addColumn<QString>("texts");
        QTest::addColumn<QString>("fiReserve");
        QTest::addColumn<QString>("profit");
        for (const QStringList &r : goldenTable("entry/totals.txt"))
            QTest::newRow(qPrintable(r.value(0))) << r.value(1) << r.value(2) << r.value(3);
    }
    void totals() {
        QFETCH(QString, texts);
        QFETCH(QString, fiReserve);
        QFETCH(QString, profit);
        const DealTotals t = CalcTotals(boxes(texts));
        QCOMPARE(t.fiReserveCaption, fiReserve);
        QCOMPARE(t.profitCaption, profit);
        QCOMPARE(t.profit, Currency::fromText(profit));
    }

    void totalsOverflowKeepsPrevious() {
        const DealTotals previous{Currency::fromText("5"), Currency::fromText("7"), {}, {}};
        ErrorTrap trap("ZEL - CALC");
        const DealTotals t =
            CalcTotals(boxes("31=900000000000000;32=900000000000000;26=1"), previous, &trap);
        QCOMPARE(t.fiReserveCaption, QString("5.00"));
        QCOMPARE(t.profitCaption, QString("6.00")); // on the reserve as it stands
        QVERIFY(trap.pending());
    }

    void fitControl_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QRect>("design");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QRect>("expected");
        const QSize xga(15360, 11520);
        const QRect dateSold(1880, 600, 960, 240);
        QTest::newRow("Date Sold") << xga << dateSold << "F:" << QRect(3008, 1006, 960, 280);
        QTest::newRow("640x480") << QSize(9600, 7200) << dateSold << "F:" << dateSold;
        QTest::newRow("just over 480 high")
            << QSize(9615, 7215) << dateSold << "F:" << QRect(1882, 599, 960, 280);
        QTest::newRow("box 270 high keeps its height")
            << xga << QRect(1680, 1160, 1560, 270) << "F:" << QRect(2688, 1946, 1560, 270);
        QTest::newRow("amount widens")
            << xga << QRect(8400, 1790, 960, 240) << "F:W%" << QRect(13440, 3003, 1536, 280);
        QTest::newRow("caption right edge")
            << xga << QRect(860, 620, 960, 195) << "F:L%" << QRect(1952, 1040, 960, 195);
        QTest::newRow("untagged") << xga << dateSold << "" << dateSold;
        QTest::newRow("zero") << xga << QRect(0, 0, 960, 240) << "F:" << QRect(0, 0, 960, 280);
    }
    void fitControl() {
        QFETCH(QSize, screen);
        QFETCH(QRect, design);
        QFETCH(QString, tag);
        QFETCH(QRect, expected);
        const QSize designPanel = designPanelFromTag("H#6060W#9480");
        const QSize panel = panelSizeForForm(formSizeForScreen(screen), designPanel);
        const TwipRect in{design.left(), design.top(), design.width(), design.height()};
        const FitResult fit = ::fitControl(in, tag, designPanel, panel, screen.height());
        QCOMPARE(QRect(fit.rect.left, fit.rect.top, fit.rect.width, fit.rect.height), expected);
        QCOMPARE(fit.fontTo8pt, expected.height() == 280);
    }

    void formAndPanel() {
        QCOMPARE(formSizeForScreen({15360, 11520}), QSize(15360, 11008));
        QCOMPARE(formSizeForScreen({9600, 7200}), QSize(9600, 6880));
        QCOMPARE(panelSizeForForm({9600, 6880}, {9480, 6060}), QSize(9480, 6040));
        QCOMPARE(panelSizeForForm({9600, 6000}, {9480, 6060}), QSize(9480, 6060));
        QCOMPARE(panelSizeForForm({9600, 6015}, {9480, 6060}), QSize(9480, 5175));
    }
};

REGISTER_TEST(EntryRulesTest);
#include "tst_rules.moc"
