#include "TestRegistry.h"
#include "base/Format.h"

#include <QDateTime>
#include <QLocale>

class FormatTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every layout is the United States' whatever the default locale: a German one would group
    // with "." and mark the decimals with ",".
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void formatUsing_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, const char *mask, const QVariant &v, const char *out) {
            QTest::newRow(name) << QString(mask) << v << QString(out);
        };
        row("amount", "######0.00", 1234.5, "   1234.50");
        row("grouped fills wide column", "####,##0.00", 1234567, "1,234,567.00");
        row("text number", "######0.00", QString("1250"), "   1250.00");
        row("negative rounds away", "######0.00", -12.345, "    -12.35");
        row("1.005 not binary 1.00499", "##0.00", 1.005, "  1.01");
        row("negative rounding to zero", "##0.00", -0.001, "  0.00");
        row("negative text rounding to zero", "#####0.00", QString("-0.004"), "     0.00");
        row("negative amount rounding to zero", "#####0.00",
            QVariant::fromValue(Currency::fromText("-0.004")), "     0.00");
        row("forced zero", "#0.00000", 0.0525, " 0.05250");
        row("0.4 to zero", "##0", 0.4, "  0");
        row("zero", "#####0.00", 0, "     0.00");
        row("hash only", "#.##", 0.5, "  .5");
        row("currency half cent", "#####0.00", QVariant::fromValue(Currency::fromText("0.005")),
            "     0.01");
        row("text keeps all decimals", "#0.00000", QString("0.123456789"), " 0.12346");
        row("dollar negative", "$###,##0.00", -1234.5, " -$1,234.50");
        row("dollar wide", "$####,##0.00", 1234567.891, "$1,234,567.89");
        row("extra digits shown", "#######0", qlonglong(123456789), "123456789");
        row("null", "##0", QVariant(), "   ");
        row("blank text", "######0.00", QString("    "), "          ");
        row("overflow int", "##0", 12345, "***");
        row("whole digits overflow", "#####0.00", QString("1234567890.5"), "*********");
        row("decimals cut", "#0.00000", 123.45, "123.4500");
        row("decimals cut, text", "#####0.00", QString("1234567.8"), "1234567.8");
        row("nine whole digits in nine", "#####0.00",
            QVariant::fromValue(Currency::fromText("685940083.27")), "685940083");
        row("rounding carries into the cut", "###,##0.00", 999999.995, "1,000,000.");
        row("sign and decimals cut", "#0.00", -12.5, "-12.5");
        row("sign overflows", "##0", -123, "***");
        row("non-number text", "######0.00", QString("abc"), "       abc");
        row("non-number text cut", "##0", QString("abcdef"), "abc");
    }
    void formatUsing() {
        QFETCH(QString, mask);
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(FormatUsing(mask, value), expected);
    }

    // The fast paths for the reports' masks lay out every value as the general layout does:
    // each mask with each value, as text, as an amount and as a whole number.
    void fastPathsAgree_data() {
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("zeros and half cents") << QStringList{
            "0", "-0", "0.005", "0.004", "-0.004", "-0.005", "0.0049", "0.00005", "0.00004"};
        QTest::newRow("nines that carry")
            << QStringList{"0.995",    "9.995",     "-9.995",     "99.995",     "999.995",
                           "9999.995", "99999.995", "999999.995", "9999999.995"};
        QTest::newRow("wide") << QStringList{
            "1234567.891",     "-1234567.891",       "685940083.27",  "12345678901.5",
            "999999999999999", "-999999999999.9999", "99999999999.99"};
        QTest::newRow("plain") << QStringList{"-12.345", "12.34", "7.90000", "360",
                                              "-1",      "1000",  "99999",   "100000"};
        QTest::newRow("text forms") << QStringList{" 42", "+5", ".5", "5.", "12*3", "abc", ""};
    }
    void fastPathsAgree() {
        QFETCH(QStringList, numbers);
        for (const QString mask :
             {"######0.00", "#####0.00", "####,##0.00", "###,##0.00", "###,##0.0", "######0", "##0",
              "#0.00000", "##0.00", "#0.00", "0.0000", "#,##0", "00000", "#0.000000000"}) {
            const NumberColumn column(mask);
            for (const QString &n : numbers) {
                char latin1[64];
                QCOMPARE(QString::fromLatin1(
                             latin1, column.layOutLatin1(latin1, Currency::fromText(n)) - latin1),
                         formatUsingGeneral(mask, QVariant::fromValue(Currency::fromText(n))));
                QList<QVariant> values = {n, QVariant::fromValue(Currency::fromText(n))};
                if (!n.contains(u'.') && Currency::fromText(n).tenThousandths() % 10000 == 0)
                    values << qlonglong(Currency::fromText(n).tenThousandths() / 10000);
                for (const QVariant &v : values)
                    QVERIFY2(FormatUsing(mask, v) == formatUsingGeneral(mask, v),
                             qPrintable(QStringLiteral("%1 of %2 (%3): \"%4\", not \"%5\"")
                                            .arg(mask, n, v.typeName(), FormatUsing(mask, v),
                                                 formatUsingGeneral(mask, v))));
                QCOMPARE(FormatUsing(mask, Currency::fromText(n)),
                         formatUsingGeneral(mask, QVariant::fromValue(Currency::fromText(n))));
            }
        }
    }

    // The leading number of a text, as a double and exactly, as an amount.
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("val");
        QTest::addColumn<qlonglong>("units");
        QTest::addColumn<QString>("plain");
        QTest::newRow("blanks and tail") << "  12.50abc" << 12.5 << 125000LL << "12.5";
        QTest::newRow("negative") << "-3" << -3.0 << -30000LL << "-3";
        QTest::newRow("point first") << ".5" << 0.5 << 5000LL << "0.5";
        QTest::newRow("second point") << "1.2.3" << 1.2 << 12000LL << "1.2";
        QTest::newRow("no number") << "abc" << 0.0 << 0LL << "0";
        QTest::newRow("comma stops") << "1,234" << 1.0 << 10000LL << "1";
        QTest::newRow("whole") << "1250" << 1250.0 << 12500000LL << "1250";
        QTest::newRow("half up") << "0.00005" << 0.00005 << 1LL << "0.0001";
        QTest::newRow("half away negative") << "-2.00005" << -2.00005 << -20001LL << "-2.0001";
        QTest::newRow("carry") << "9.99995" << 9.99995 << 100000LL << "10";
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, val);
        QFETCH(qlonglong, units);
        QFETCH(QString, plain);
        QCOMPARE(Val(text), val);
        const Currency c = Currency::fromText(text);
        QCOMPARE(c.tenThousandths(), units);
        QCOMPARE(c.toPlainText(), plain);
    }

    void currencySumsStayExact() {
        Currency sum;
        for (int i = 0; i < 10; ++i)
            sum += Currency::fromText("0.10");
        QCOMPARE(sum.tenThousandths(), 10000LL);
        QCOMPARE(Currency::fromDouble(0.1 + 0.2).tenThousandths(), 3000LL);
        QCOMPARE(Currency::fromDouble(1.00005).tenThousandths(), 10001LL);
    }

    void fieldText_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("null") << QVariant() << "";
        QTest::newRow("int") << QVariant(-42) << "-42";
        QTest::newRow("double million") << QVariant(1000000.0) << "1000000";
        QTest::newRow("double noise") << QVariant(0.1 + 0.2) << "0.30000000000000004";
        QTest::newRow("currency") << QVariant::fromValue(Currency::fromText("-3.25")) << "-3.25";
        QTest::newRow("date") << QVariant(QDate(2024, 3, 7)) << "3/7/2024";
        QTest::newRow("midnight") << QVariant(QDateTime(QDate(2024, 12, 25), QTime(0, 0)))
                                  << "12/25/2024";
        QTest::newRow("afternoon")
            << QVariant(QDateTime(QDate(2024, 3, 7), QTime(13, 5, 9))) << "3/7/2024 1:05:09 PM";
        QTest::newRow("after midnight")
            << QVariant(QDateTime(QDate(2024, 3, 7), QTime(0, 30))) << "3/7/2024 12:30:00 AM";
        QTest::newRow("true") << QVariant(true) << "True";
    }
    void fieldText() {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(FieldText(value), expected);
    }

    void formatDate_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *mask, const QDate &date, const char *out) {
            QTest::addRow("%s %s", mask, out) << date << QString(mask) << QString(out);
        };
        row("mm/dd/yyyy", QDate(2024, 3, 7), "03/07/2024");
        row("mm/dd/yy", QDate(2024, 3, 7), "03/07/24");
        row("yyyy/mm/dd", QDate(2024, 3, 7), "2024/03/07");
        row("mm/dd", QDate(2024, 3, 7), "03/07");
        row("mmm d, yyyy", QDate(2009, 12, 25), "Dec 25, 2009");
        row("mmm d, yyyy", QDate(2024, 3, 7), "Mar 7, 2024");
        row("mm/dd/yyyy", QDate(), "");
    }
    void formatDate() {
        QFETCH(QDate, date);
        QFETCH(QString, mask);
        QFETCH(QString, expected);
        QCOMPARE(::formatDate(date, mask), expected);
    }
};

REGISTER_TEST(FormatTest);
#include "tst_format.moc"
