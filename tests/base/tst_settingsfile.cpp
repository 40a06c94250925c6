#include "TestRegistry.h"
#include "fixtures/Files.h"

#include "base/DatabaseSetting.h"
#include "base/ErrorTrap.h"
#include "base/SettingsFile.h"

#include <QDir>
#include <QTemporaryDir>

// The settings file's line format and its reading.
class SettingsFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The line written for each setting, read back; and lines of other forms, read.
    void lines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("dealer");
        QTest::addColumn<QString>("reserved");
        QTest::addColumn<QString>("third");
        QTest::addColumn<bool>("written"); // the line written for these items
        const auto row = [](const char *name, const QByteArray &bytes, const QString &dealer,
                            const char *reserved, const char *third, bool written) {
            QTest::newRow(name) << bytes << dealer << QString(reserved) << QString(third)
                                << written;
        };
        row("plain", "\"ACE MOTORS\",\"\",\"False\"\r\n", "ACE MOTORS", "", "False", true);
        row("comma in name", "\"SMITH, JONES & CO\",\"X1\",\"True\"\r\n", "SMITH, JONES & CO", "X1",
            "True", true);
        row("accented name", "\"CAF\xc9 AUTOS\",\"\",\"False\"\r\n",
            QString::fromUtf8("CAFÉ AUTOS"), "", "False", true);
        row("unquoted, blanks dropped", "  ACE MOTORS , R ,True", "ACE MOTORS", "R", "True", false);
        row("quoted keeps blanks", "\" ACE \",\"\",\"False\"", " ACE ", "", "False", false);
        row("lines as delimiters", "\"A\"\n\"B\"\r\n\"True\"\n\n", "A", "B", "True", false);
        row("no third item", "\"A\",\"B\"\r\n", "A", "B", "", false);
    }
    void lines() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, dealer);
        QFETCH(QString, reserved);
        QFETCH(QString, third);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath("ZEL.CFG");
        if (written) {
            SettingsFile::write(path, dealer, reserved, third == "True");
            QCOMPARE(readFile(path), bytes);
        } else {
            QVERIFY(writeFile(path, bytes));
        }
        SettingsFile::Content content;
        SettingsFile::read(path, content);
        QCOMPARE(content.dealerName, dealer);
        QCOMPARE(content.reserved, reserved);
        QCOMPARE(content.passwordText, third);
        if (written)
            QCOMPARE(SettingsFile::toBoolean(content.passwordText), third == "True");
    }

    // Which database: --database beats VOLMERA_DATABASE, which beats DATABASE.CFG; none is the
    // file. "-" is "not given"; "!" before the expected text is the refusal's message.
    void databaseSetting_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("chosen");
        const auto row = [](const char *name, const char *option, const char *variable,
                            const QByteArray &file, const char *chosen) {
            QTest::newRow(name) << QString(option) << QString(variable) << file << QString(chosen);
        };
        row("none", "-", "-", "", "");
        row("file, notes and lines joined", "-", "-",
            "# office server\r\nhost=db1\n\n  dbname=deals\n", "host=db1 dbname=deals");
        row("variable beats file", "-", " postgresql://fi@db2/deals ", "host=db1",
            "postgresql://fi@db2/deals");
        row("option beats both", "host=db3", "host=db2", "host=db1", "host=db3");
        row("empty variable", "-", " ", "host=db1",
            "!The variable VOLMERA_DATABASE is set but names no database server: give it a "
            "connection string or URI, or unset it to use the file.");
        row("empty option", "", "-", "",
            "!--database names no database server: give a connection string or URI.");
    }
    void databaseSetting() {
        QFETCH(QString, option);
        QFETCH(QString, variable);
        QFETCH(QByteArray, file);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        if (!file.isEmpty())
            QVERIFY(writeFile("DATABASE.CFG", file));
        if (option != "-")
            DatabaseSetting::setOption(option);
        if (variable != "-")
            qputenv("VOLMERA_DATABASE", variable.toUtf8());
        QString got;
        try {
            got = DatabaseSetting::server();
        } catch (const VolmeraError &e) {
            got = '!' + e.description();
        }
        qunsetenv("VOLMERA_DATABASE");
        DatabaseSetting::clearOption();
        QDir::setCurrent(before);
        QCOMPARE(got, chosen);
    }

    void failedWriteKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("ZEL.CFG");
        SettingsFile::write(path, "OLD", "", false);
        QVERIFY_THROWS_EXCEPTION(VolmeraError,
                                 SettingsFile::write(dir.filePath("none/ZEL.CFG"), "N", "", true));
        QCOMPARE(readFile(path), QByteArray("\"OLD\",\"\",\"False\"\r\n"));
    }
};

REGISTER_TEST(SettingsFileTest);
#include "tst_settingsfile.moc"
