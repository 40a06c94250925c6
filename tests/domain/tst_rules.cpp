#include "TestRegistry.h"
#include "base/Clock.h"
#include "base/ErrorTrap.h"
#include "base/ScriptedPrompter.h"
#include "domain/entry/DateCheck.h"
#include "domain/entry/EntryFormat.h"
#include "domain/entry/KeyRules.h"
#include "domain/entry/ScreenFit.h"
#include "domain/entry/Totals.h"

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
        auto row = [](char kind, const char *text, const char *out, const QString &message = {},
                      int thisYear = 2025) {
            QTest::addRow("%c '%s' %d", kind, text, thisYear)
                << QChar(kind) << QString(text) << thisYear << QString(out) << message;
        };
        row('D', "1/5/04", "01/05/2004");
        row('D', "1/5/98", "01/05/1998");
        row('D', "1/5/19", "01/05/2019");
        // Two-digit years: the one within 80 years back and 19 ahead of this year.
        row('D', "3/15/25", "03/15/2025", {}, 2026);
        row('D', "1/5/45", "01/05/2045", {}, 2026);
        row('D', "1/5/46", "01/05/1946", {}, 2026);
        row('D', "12/31/99", "12/31/1999", {}, 2026);
        row('D', "1/5/00", "01/05/2100", {}, 2081);
        row('D', "1/5/1915", "01/05/1915");
        // Every month and day at its ends.
        row('D', "12/31/2024", "12/31/2024");
        row('D', "12/5/04", "12/05/2004");
        row('D', "1/1/2024", "01/01/2024");
        row('D', "1/31/2024", "01/31/2024");
        row('D', "4/30/24", "04/30/2024");
        for (const char *in :
             {"0/5/2004", "13/1/2004", "1/0/2004", "1/32/2004", "4/31/2024", "12/32/2024"})
            row('D', in, "", badDate);
        row('D', "2/29/2024", "02/29/2024");
        row('D', "2/29/00", "02/29/2000");
        row('D', "1/5", "01/05/2025"); // no year typed: this year, whatever the century rule
        row('D', "1/5/", "01/05/2025");
        row('D', "1/5", "01/05/2012", {}, 2012);
        row('D', "1/05", "01/05/2025"); // four characters: read as mm/dd/yyyy
        row('D', "010504", "", badFormat);
        for (const char *in : {"13/45/2004", "02/30/2004", "2/29/2023", "1/5/0204", "2/29/1900"})
            row('D', in, "", badDate);
        row('Y', "5", "2005");
        row('Y', "98", "1998");
        row('Y', "20", "2020", {}, 2026);
        row('Y', "45", "2045", {}, 2026);
        row('Y', "46", "1946", {}, 2026);
        row('Y', "1998", "1998");
        row('Y', "0", "2000");
        row('Y', "99", "1999");
        row('Y', "1000", "1000");
        row('Y', "", "2000");
        row('Y', "40000", "2000"); // beyond 16 bits
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
        auto row = [](int index, const char *text, const char *entered, const char *left) {
            QTest::addRow("%d '%s'", index, text)
                << index << QString(text) << QString(entered) << QString(left);
        };
        row(18, "150.00", "150", "150.00");
        row(41, "-25.5", "-25.5", "-25.50");
        row(43, "", "0", "0.00");
        row(31, "123456789012", "123456789012", "123456789012.00"); // wider than the mask
        row(13, "", "0", "0");
        row(14, "7.9", "7.9", "7.90000");
        row(14, "-12.5", "-12.5", "-12.50000"); // one wider than its column: no decimal cut
        row(18, "1234567.891", "1234567.891", "1234567.89");
        row(22, "", "", "2000");
        row(0, "1/5/04", "1/5/04", "01/05/2004");
        row(42, "13/45/2004", "13/45/2004", "");
        row(8, "   ", "   ", "   "); // not validated: no box
        // The ends of every range of amount boxes, and the text boxes beside them.
        for (int amount : {19, 26, 34, 36, 38, 40})
            row(amount, "7", "7", "7.00");
        for (int text : {17, 25, 35, 39})
            row(text, "7", "7", "7");
        row(9, "1/5/04", "1/5/04", "01/05/2004");
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
        auto row = [](const char *name, const QString &texts, const char *fi, const char *profit) {
            QTest::newRow(name) << texts << QString(fi) << QString(profit);
        };
        const QString reserves = "31=300;32=250.50;36=25;38=10";
        row("all empty", "", "0.00", "0.00");
        row("whole deal", reserves + ";26=1200;41=100;43=50;27=150;28=50;29=25;30=75", "585.50",
            "1635.50");
        row("other reserves", "33=1;34=2;40=4", "7.00", "7.00");
        row("negative commission", "26=100;29=-20", "0.00", "120.00");
        row("negative profit", "30=123.45", "0.00", "-123.45");
        row("double sum converted", "36=0.1;38=0.2", "0.30", "0.30");
        row("wide figure", "26=123456789012", "0.00", "123456789012.00");
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
