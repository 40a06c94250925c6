#include "TestRegistry.h"

#include "base/ErrorTrap.h"
#include "base/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
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

// The settings file's line format and its reading.
class SettingsFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data() {
        QTest::addColumn<QString>("dealer");
        QTest::addColumn<QString>("reserved");
        QTest::addColumn<bool>("password");
        QTest::addColumn<QByteArray>("bytes");
        const auto row = [](const char *name, const QString &dealer, const char *reserved,
                            bool password, const QByteArray &bytes) {
            QTest::newRow(name) << dealer << QString(reserved) << password << bytes;
        };
        row("plain", "ACE MOTORS", "", false, "\"ACE MOTORS\",\"\",\"False\"\r\n");
        row("comma in name", "SMITH, JONES & CO", "X1", true,
            "\"SMITH, JONES & CO\",\"X1\",\"True\"\r\n");
        row("accented name", QString::fromUtf8("CAFÉ AUTOS"), "", false,
            "\"CAF\xc9 AUTOS\",\"\",\"False\"\r\n");
    }

    void roundTrip() {
        QFETCH(QString, dealer);
        QFETCH(QString, reserved);
        QFETCH(bool, password);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("ZEL.CFG");
        SettingsFile::write(path, dealer, reserved, password);
        QCOMPARE(readFile(path), bytes);
        SettingsFile::Content content;
        SettingsFile::read(path, content);
        QCOMPARE(content.dealerName, dealer);
        QCOMPARE(content.reserved, reserved);
        QCOMPARE(SettingsFile::toBoolean(content.passwordText), password);
    }

    void itemsAreReadAsWritten_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("dealer");
        QTest::addColumn<QString>("reserved");
        QTest::addColumn<QString>("third");
        const auto row = [](const char *name, const QByteArray &bytes, const char *dealer,
                            const char *reserved, const char *third) {
            QTest::newRow(name) << bytes << QString(dealer) << QString(reserved) << QString(third);
        };
        row("unquoted, blanks dropped", "  ACE MOTORS , R ,True", "ACE MOTORS", "R", "True");
        row("quoted keeps blanks", "\" ACE \",\"\",\"False\"", " ACE ", "", "False");
        row("lines as delimiters", "\"A\"\n\"B\"\r\n\"True\"\n\n", "A", "B", "True");
        row("no third item", "\"A\",\"B\"\r\n", "A", "B", "");
    }

    void itemsAreReadAsWritten() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, dealer);
        QFETCH(QString, reserved);
        QFETCH(QString, third);
        QTemporaryDir dir;
        writeFile(dir.filePath("ZEL.CFG"), bytes);
        SettingsFile::Content content;
        SettingsFile::read(dir.filePath("ZEL.CFG"), content);
        QCOMPARE(content.dealerName, dealer);
        QCOMPARE(content.reserved, reserved);
        QCOMPARE(content.passwordText, third);
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
