#include "TestRegistry.h"

#include "base/AppSettings.h"
#include "base/PathMapping.h"
#include "base/ScriptedPrompter.h"
#include "domain/startup/ZELMain.h"
#include "fixtures/GoldenRows.h"
#include "fixtures/StoreFixture.h"
#include "store/DealSchema.h"
#include "store/OfficePassword.h"
#include "store/Recordset.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {
struct ScriptedScreens : StartupScreens {
    QString typed;
    bool asked = false;
    bool shown = false;
    QStringList launched;
    void askPassword() override {
        asked = true;
        appSettings().TypedPassword = typed;
    }
    void showEntryScreen() override { shown = true; }
    void launchStartupHook(const QString &path) override { launched << path; }
};

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

// Start-up in a working folder of its own, answered by a scripted password prompt.
class StartupTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString previous;

private Q_SLOTS:
    void init() {
        previous = QDir::currentPath();
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        PathMapping::setDriveRoot(dir.filePath("drive"));
        appSettings() = AppSettings();
    }
    void cleanup() {
        QDir::setCurrent(previous);
        PathMapping::setDriveRoot("/");
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
    }

    void startUp_data() {
        QTest::addColumn<QByteArray>("settings"); // empty: no settings file
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("dealer");
        QTest::addColumn<QString>("office"); // the office's own password, or empty for none
        QTest::addColumn<QString>("files");  // hook, junk database or a database with a deal

        const auto row = [](const char *name, const QByteArray &settings, const char *typed,
                            bool asked, bool shown, const QString &dealer, const char *office = "",
                            const char *files = "") {
            QTest::newRow(name) << settings << QString(typed) << asked << shown << dealer
                                << QString(office) << QString(files);
        };
        const QByteArray asks("\"ACE\",\"\",\"True\"\r\n");
        row("no settings file", {}, "", false, true, Defaults::DefaultDealerLine);
        row("password not asked", "\"ACE MOTORS\",\"R\",\"False\"\r\n", "", false, true,
            "ACE MOTORS");
        row("password in lower case", asks, "ke4prn", true, true, "ACE");
        row("wrong password", asks, "KE4PRX", true, false, "ACE");
        row("prompt cancelled", asks, "", true, false, "ACE");
        row("office password", asks, "Garage Door 42", true, true, "ACE", "Garage Door 42");
        row("office password's letter case counts", asks, "garage door 42", true, false, "ACE",
            "Garage Door 42");
        row("default refused once the office has its own", asks, "KE4PRN", true, false, "ACE",
            "Garage Door 42");
        row("one item", "\"ACE\"\r\n", "", false, true, "ACE");
        row("garbage choice", "\"ACE\",\"\",\"maybe\"\r\n", "", false, true, "ACE");
        row("binary garbage", QByteArray("\x01\xff\x00\x02", 4), "", false, true,
            Defaults::DefaultDealerLine);
        const QString dealer = Defaults::DefaultDealerLine;
        row("start-up batch file launched", {}, "", false, true, dealer, "", "hook");
        row("unreadable database reported and kept", {}, "", false, true, dealer, "", "junk");
        row("database with deals kept", {}, "", false, true, dealer, "", "deal");
    }

    void startUp() {
        QFETCH(QByteArray, settings);
        QFETCH(QString, typed);
        QFETCH(bool, asked);
        QFETCH(bool, shown);
        QFETCH(QString, dealer);
        QFETCH(QString, office);
        QFETCH(QString, files);
        const QString hook = dir.filePath("drive/orbel4usb/zelusb.bat");
        const QByteArray junk = QByteArray("not a database at all\n").repeated(100);
        if (files == "hook") {
            QDir().mkpath(dir.filePath("drive/orbel4usb"));
            writeFile(hook, "true\n");
        } else if (files == "junk") {
            writeFile("ZELDB.mdb", junk);
        } else if (files == "deal") {
            createDealDatabase("ZELDB.mdb");
            StoreFixture::addDeal(*Database::open("ZELDB.mdb")->openRecordset("ZEL"), "KEPT", "K1");
        }
        if (!office.isEmpty()) {
            createDealDatabase("ZELDB.mdb");
            OfficePassword::set(*Database::open("ZELDB.mdb"), office);
            // Only a salted Argon2id hash of it is kept.
            const QString hash = *OfficePassword::storedHash(*Database::open("ZELDB.mdb"));
            QVERIFY2(hash.startsWith("$argon2id$") && !hash.contains(office), qPrintable(hash));
        }
        if (!settings.isEmpty())
            writeFile("ZEL.CFG", settings);
        ScriptedPrompter prompter;
        PrompterScope scope(&prompter);
        ScriptedScreens screens;
        screens.typed = typed;

        QCOMPARE(Main(screens), shown);
        QCOMPARE(screens.asked, asked);
        QCOMPARE(screens.shown, shown);
        QCOMPARE(appSettings().DealerName, dealer);
        QCOMPARE(appSettings().DatabasePath, QStringLiteral(".\\ZELDB.mdb"));
        QCOMPARE(screens.launched, files == "hook" ? QStringList{hook} : QStringList());
        // Every box shown, "title|style|text", is in startup/boxes.txt after the row's name.
        QStringList boxes;
        for (const ScriptedPrompter::Shown &box : prompter.shown)
            boxes << box.title + '|' + QString::number(box.style) + '|' + box.text;
        QCOMPARE(boxes, goldenRows("startup/boxes.txt").replaceInStrings("%1", dir.path()));
        // The database is there with the deal table and its deals, or kept as it was; the settings
        // file was not touched.
        if (files == "junk") {
            QCOMPARE(readFile("ZELDB.mdb"), junk);
        } else {
            auto db = Database::open("ZELDB.mdb");
            QCOMPARE(db->fields("ZEL").size(), 46);
            QCOMPARE(db->openRecordset("ZEL")->recordCount(), files == "deal" ? 1 : 0);
        }
        if (!settings.isEmpty())
            QCOMPARE(readFile("ZEL.CFG"), settings);
    }
};

REGISTER_TEST(StartupTest);
#include "tst_startup.moc"
