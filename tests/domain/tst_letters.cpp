#include "TestRegistry.h"
#include "base/ErrorTrap.h"
#include "domain/reports/Letters.h"
#include "fixtures/FixtureDeals.h"
#include "fixtures/Golden.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace DealSchema;
using Deal = FixtureDeals::Deal;

namespace {
const QString pad(12, QLatin1Char(' '));

Deal buyer() {
    return deal("DateSold=2001-03-05|FIMgr=AB|NewUsed=N|ByFirstMI=JOHN Q  |ByLName=SMITH|"
                "ByAdr=123 MAIN ST|ByCity=PORTLAND|ByStateZip=OR 97201|Year=2001|Make=FORD|"
                "Model=TAURUS|CByFirstMI=MARY|CByLName=SMITH|Salesman=BOB JONES");
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
        QTest::newRow("parts in order") << buyer() << buyerParts;
        Deal slash = buyer();
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

    // Each letter whole, as its golden file under letters/ (lines end in CR LF).
    void compose_data() {
        QTest::addColumn<QByteArray>("tmpl");
        QTest::addColumn<QString>("golden");
        QTest::newRow("codes merge, signature added")
            << QByteArray("Thank you for buying your new *V from us.\r\n"
                          "\r\n"
                          "How is your *M today?\r\n"
                          "From all of us at*D\r\n"
                          "Call*S anytime\r\n"
                          "A * star alone, and *X, stay\r\n")
            << "codes";
        QTest::newRow("first code in V M D S order, cut at first star")
            << QByteArray("Ask *S about a*M\r\n") << "first-code";
        QTest::newRow("end mark stops, no signature")
            << QByteArray("Goodbye\r\n\r\nService Dept.\r\n*E\r\nnever shown\r\n") << "end-mark";
        QTest::newRow("code beats end mark") << QByteArray("Thanks*D *E\r\n") << "code-first";
        QTest::newRow("LF ends, last line without end") << QByteArray("one\ntwo\r\nthree") << "lf";
        QTest::newRow("empty template") << QByteArray() << "empty";
    }
    void compose() {
        QFETCH(QByteArray, tmpl);
        QFETCH(QString, golden);
        writeFile("Letter1.TXT", tmpl);
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
        auto deal = [](const char *first, const char *date, const char *nu, const char *fi) {
            Deal d{{ByFirstMI, first}, {ByLName, "X"}, {NewUsed, nu}, {FIMgr, fi}};
            if (*date)
                d[DateSold] = date;
            return d;
        };
        const QVector<Deal> deals = {deal("A", "2001-03-01", "N", "AB  "),
                                     deal("B", "2001-03-31", "N", "ab"),
                                     deal("C", "2001-03-15", "U", "CD"),
                                     deal("D", "2001-04-01", "N", "AB"), deal("E", "", "N", "AB")};
        ReportConditions c = letterConditions();
        c.BDT = bdt;
        c.EDT = edt;
        c.Veh = veh;
        c.FIMgr = fiMgr;
        const ReportOutput out = buildReport(c, deals);
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
