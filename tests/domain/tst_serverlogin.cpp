#include "TestRegistry.h"

#include "base/AppSettings.h"
#include "base/DatabaseSetting.h"
#include "base/PathMapping.h"
#include "base/ScriptedPrompter.h"
#include "domain/startup/ZELMain.h"
#include "fixtures/Golden.h"
#include "fixtures/TestServer.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
struct Screens : StartupScreens {
    void askPassword() override {}
    void showEntryScreen() override {}
    void launchStartupHook(const QString &) override {}
};
} // namespace

// Start-up on a server as a user that must give its password: scripts/test-server.sh makes the
// role VOLMERA_TEST_SERVER_ROLE names, with the password "Right Horse 7".
class ServerLoginTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startUp_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("refused");
        QTest::newRow("wrong password") << "Wrong Horse 7" << true;
        QTest::newRow("right password") << "Right Horse 7" << false;
    }
    void startUp() {
        QFETCH(QString, password);
        QFETCH(bool, refused);
        const QString role = qEnvironmentVariable("VOLMERA_TEST_SERVER_ROLE");
        if (!TestServer::available() || role.isEmpty())
            QSKIP("no test server with a role that needs a password (scripts/test makes one)");
        TestServer::emptyDatabase();
        const QString name = TestServer::own().name;
        auto admin = Database::open(DatabaseAddress::server(TestServer::connectionTo(name)));
        admin->exec(QStringLiteral("GRANT ALL ON SCHEMA public TO %1").arg(role));
        Statement socket(*admin,
                         QStringLiteral("SELECT current_setting('unix_socket_directories'), "
                                        "current_setting('port')"));
        QVERIFY(socket.step());
        const QString folder = socket.value(0).toString(), port = socket.value(1).toString();

        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        PathMapping::setDriveRoot(dir.filePath("drive"));
        appSettings() = AppSettings();
        DatabaseSetting::setOption(TestServer::connectionTo(name) +
                                   QStringLiteral(" user=%1 password='%2'").arg(role, password));
        ScriptedPrompter prompter;
        bool started = false;
        {
            PrompterScope scope(&prompter);
            Screens screens;
            started = Main(screens);
        }
        DatabaseSetting::clearOption();
        PathMapping::setDriveRoot("/");
        QDir::setCurrent(previous);

        // As for a file that cannot be read: said under the start-up's tag, and the entry
        // screen comes up.
        QVERIFY(started);
        QCOMPARE(prompter.shown.size(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(prompter.shown[0].title, QStringLiteral("MAIN"));
            QCOMPARE(prompter.shown[0].text, goldenLines("startup/server-login-refused.txt")
                                                 .value(0)
                                                 .arg(name, folder, role, port));
        }
        // Nothing written where it was refused, not even a file in the data folder instead.
        QCOMPARE(admin->hasTable(QStringLiteral("ZEL")), !refused);
        QVERIFY(!QFileInfo::exists(dir.filePath("ZELDB.mdb")));
    }
};

REGISTER_TEST(ServerLoginTest);
#include "tst_serverlogin.moc"
