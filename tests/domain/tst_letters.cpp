#include "TestRegistry.h"
#include "base/ErrorTrap.h"
#include "domain/reports/Letters.h"
#include "fixtures/GoldenTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace DealSchema;
using Deal = FixtureDeals::Deal;

namespace {
const QString pad(12, QLatin1Char(' '));

// The deals of the group given, from letters/deals.txt.
QVector<Deal> deals(const QString &group) {
    return goldenDeals("letters/deals.txt", group);
}

const QStringList buyerParts = {
    "John Q Smith", "123 Main St", "Portland", "OR 97201",   "N",
    "2001",         "Ford",        "Taurus",   "Mary Smith", "Bob Jones"};

void writeFile(const QString &name, const QByteArray &bytes) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

ReportConditions letterConditions() {
    ReportConditions c;
    c.report = 6;
    c.BDT = "03/01/2001";
    c.EDT = "03/31/2001";
    return c;
}
} // namespace

class LettersTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString savedCurrent;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir.isValid());
        savedCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(savedCurrent); }

    void convertLetters_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, const char *source, const char *expected) {
            QTest::newRow(name) << QString(source) << QString(expected);
        };
        row("name", "JOHN Q SMITH", "John Q Smith");
        row("apostrophe joins", "O'BRIEN", "O'brien");
        row("hyphen joins", "MARY-ANN", "Mary-ann");
        row("mixed loses later capitals", "McDONALD", "Mcdonald");
        row("empty", "", "");
        row("digits and marks do not start a word", "12B #4C, APT.D", "12B #4C, Apt.d");
        row("accented capitals untouched", "  ÉCOLE  ÉTÉ A", "  ÉCole  ÉTÉ A");
    }
    void convertLetters() {
        QFETCH(QString, source);
        QFETCH(QString, expected);
        QCOMPARE(ConvertLetters(source), expected);
    }

    // A recipient's line is its parts joined by "/", whatever "/" the fields hold.
    void recipients_data() {
        QTest::addColumn<Deal>("deal");
        QTest::addColumn<QStringList>("parts");
        const Deal buyer = deals("buyer").value(0);
        QTest::newRow("parts in order") << buyer << buyerParts;
        Deal slash = buyer;
        slash[ByAdr] = "12/B ELM ST";
        slash[Salesman] = "BOB  /ANN"; // a shared deal: the first name signs
        slash.remove(CByFirstMI);
        slash.remove(CByLName);
        slash.remove(Year);
        QTest::newRow("slash in address, empty fields, shared deal")
            << slash << QStringList{"John Q Smith", "12/B Elm St", "Portland", "OR 97201", "N", "",
                                    "Ford",         "Taurus",      " ",        "Bob"};
    }
    void recipients() {
        QFETCH(Deal, deal);
        QFETCH(QStringList, parts);
        const ReportOutput out = buildReport(letterConditions(), {deal});
        QCOMPARE(out.lines, QStringList{parts.join(u'/')});
        QCOMPARE(recipientParts(out, 0), parts);
        QCOMPARE(recipientParts(out, 1), QStringList());
        QVERIFY(!out.cancelled);

        // The letter takes its parts from the recipient, whatever "/" the fields hold.
        writeFile("Letter1.TXT", "For your*V\r\n");
        const QString letter = composeLetter(recipientParts(out, 0), 0, "03/05/2001", "ACME");
        QVERIFY(letter.contains("\r\n" + pad + parts.at(1) + "\r\n" + pad + "Portland, OR 97201"));
        QVERIFY(letter.contains(pad + "For your " + parts.at(5) + " Ford Taurus\r\n"));
        QVERIFY(letter.endsWith(pad + parts.at(9) + "\r\n" + pad + "ACME"));
    }

    // Each letter whole, as its golden file under letters/ (lines end in CR LF), from the
    // template of the same name and "-template".
    void compose_data() {
        QTest::addColumn<QString>("golden");
        QTest::newRow("codes merge, signature added") << "codes";
        QTest::newRow("first code in V M D S order, cut at first star") << "first-code";
        QTest::newRow("end mark stops, no signature") << "end-mark";
        QTest::newRow("code beats end mark") << "code-first";
        QTest::newRow("LF ends, last line without end") << "lf";
        QTest::newRow("empty template") << "empty";
    }
    void compose() {
        QFETCH(QString, golden);
        writeFile("Letter1.TXT", goldenText("letters/" + golden + "-template.txt").toUtf8());
        const QStringList letter =
            composeLetter(buyerParts, 0, "03/05/2001", "Acme Motors").split(u'\n');
        QCOMPARE(letter, goldenLines("letters/" + golden + ".txt"));
    }

    void missingTemplateThrows() {
        QFile::remove("Letter2.TXT");
        QFile::remove("letter2.txt");
        try {
            composeLetter(buyerParts, 1, "03/05/2001", "D");
            QFAIL("no error for a missing template");
        } catch (const VolmeraError &e) {
            QVERIFY2(e.description().contains(".\\Letter2.TXT"), qPrintable(e.description()));
        }
    }

    void selection_data() {
        QTest::addColumn<QString>("bdt");
        QTest::addColumn<QString>("edt");
        QTest::addColumn<int>("veh");
        QTest::addColumn<QString>("fiMgr");
        QTest::addColumn<QStringList>("names");
        const auto row = [](const char *name, const char *bdt, int veh, const char *fiMgr,
                            const QStringList &names, const char *edt = "12/31/2001") {
            QTest::newRow(name) << QString(bdt) << QString(edt) << veh << QString(fiMgr) << names;
        };
        row("ends inclusive, no date out", "03/01/2001", ReportConditions::All, "ALL",
            {"A X", "B X", "C X"}, "03/31/2001");
        row("F&I manager, trailing blanks, case counts", "01/01/1900", ReportConditions::All, "AB ",
            {"A X", "D X"});
        row("used only", "01/01/1900", ReportConditions::Used, "ALL", {"C X"});
    }
    void selection() {
        QFETCH(QString, bdt);
        QFETCH(QString, edt);
        QFETCH(int, veh);
        QFETCH(QString, fiMgr);
        QFETCH(QStringList, names);
        ReportConditions c = letterConditions();
        c.BDT = bdt;
        c.EDT = edt;
        c.Veh = veh;
        c.FIMgr = fiMgr;
        const ReportOutput out = buildReport(c, deals("selection"));
        QStringList got;
        for (qsizetype i = 0; i < out.lines.size(); ++i)
            got << recipientParts(out, i).at(0);
        QCOMPARE(got, names);
    }

    // The letters shipped with the program, merged; the date read as month/day/year.
    void shippedTemplates_data() {
        QTest::addColumn<int>("selector");
        QTest::newRow("dealership") << 0;
        QTest::newRow("salesperson") << 1;
        QTest::newRow("service") << 2;
    }
    void shippedTemplates() {
        QFETCH(int, selector);
        const QString name = QString("Letter%1.TXT").arg(selector + 1);
        QFile::remove(name);
        QVERIFY(QFile::copy(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../resources/") + name, name));
        const QStringList letter =
            composeLetter(buyerParts, selector, "12/25/2000", "Acme Motors").split(u'\n');
        QCOMPARE(letter, goldenLines("letters/shipped-" + name.toLower()));
    }
};

REGISTER_TEST(LettersTest);
#include "tst_letters.moc"
