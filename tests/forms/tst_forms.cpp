#include "TestRegistry.h"
#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ScriptedPrompter.h"
#include "fixtures/FormFixture.h"
#include "fixtures/GoldenRows.h"
#include "forms/GuiPrompter.h"
#include "forms/ZELSetUp.h"
#include "forms/frmPW.h"
#include "forms/frmZEL.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <memory>

namespace {
QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class FormsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FormFixture> fx;

private Q_SLOTS:
    // Enter in a message box gives its default button: the first, or the second where a Yes
    // cannot be undone.
    void messageBoxEnterGivesTheDefault_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("answer");
        QTest::newRow("yes/no") << int(Style::YesNo | Style::Question) << int(Answer::Yes);
        QTest::newRow("second default")
            << int(Style::YesNo | Style::Exclamation | Style::DefaultButton2) << int(Answer::No);
        QTest::newRow("retry/cancel") << int(Style::RetryCancel) << int(Answer::Retry);
    }
    void messageBoxEnterGivesTheDefault() {
        QFETCH(int, style);
        QFETCH(int, answer);
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [&press] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                press.stop();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        press.start(10);
        GuiPrompter prompter;
        QCOMPARE(prompter.msgBox(QStringLiteral("BLANK THEM?"), style, QStringLiteral("T")),
                 answer);
    }

    void init() {
        fx = std::make_unique<FormFixture>();
        appSettings().VersionText = Defaults::VersionText;
    }

    void cleanup() { fx.reset(); }

    void passwordPrompt_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("confirmed");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("result");
        const auto row = [](const char *name, const char *typed, const char *button,
                            const char *confirmed, bool refused) {
            QTest::newRow(name) << QString(typed) << QString(button) << QString(confirmed)
                                << refused
                                << int(refused || button != QString("OK") ? QDialog::Rejected
                                                                          : QDialog::Accepted);
        };
        row("typing stops at six", "KE4PRNX", "OK", "KE4PRN", false);
        row("long wrong cut to six", "abcdefgh", "OK", "abcdef", true);
        row("cancel empties", "ke4prn", "Cancel", "", false);
        // The close box keeps what was last confirmed with OK ("LAST" stands for that).
        row("close box", "ke4prn", "close", "LAST", false);
    }
    void passwordPrompt() {
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(QString, confirmed);
        QFETCH(bool, refused);
        QFETCH(int, result);
        appSettings().TypedPassword = QStringLiteral("LAST");
        frmPW prompt;
        prompt.show();
        QVERIFY(QTest::qWaitForWindowActive(&prompt));
        QTest::keyClicks(prompt.Text1, typed);
        QCOMPARE(prompt.Text1->displayText(), QString(prompt.Text1->text().size(), u'*'));

        if (button == QLatin1String("OK"))
            QTest::mouseClick(prompt.Command1, Qt::LeftButton);
        else if (button == QLatin1String("Cancel"))
            QTest::mouseClick(prompt.Command2, Qt::LeftButton);
        else
            prompt.close();

        QCOMPARE(appSettings().TypedPassword, confirmed);
        QCOMPARE(prompt.isVisible(), refused); // a refused password is asked again
        QCOMPARE(prompt.result(), result);
        QCOMPARE(fx->shown(), refused ? QStringList{"0||PASSWORK INCORRECT"} : QStringList());
        if (refused) {
            QVERIFY(prompt.Text1->text().isEmpty());
            QTRY_VERIFY(prompt.Text1->hasFocus());
        }
    }

    // The set-up dialog: what it shows from the file, then what each way of closing it leaves
    // in the file, the settings and the entry window's caption; the boxes it shows are in
    // forms/setup-messages.txt.
    void setup_data() {
        QTest::addColumn<QByteArray>("before"); // null: no file; "<folder>": a folder in its place
        QTest::addColumn<QString>("shown");     // the name shown, "+" when the box is ticked
        QTest::addColumn<QString>("typed");     // null: the dialog left as it opened
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("after"); // null: no file to read
        QTest::addColumn<QString>("dealer");
        const auto row = [](const char *name, const QByteArray &before, const char *shown,
                            const QString &typed, bool tick, const char *how,
                            const QByteArray &after, const QString &dealer) {
            QTest::newRow(name) << before << QString(shown) << typed << tick << QString(how)
                                << after << dealer;
        };
        const QByteArray none, ticked = "\"ACME\",\"R\",\"True\"\r\n";
        const QString keep;
        row("password True", ticked, "ACME+", keep, false, "close box", ticked, "ACME");
        row("no third item", "\"ACME\",\"R\"\r\n", "ACME", keep, false, "close box",
            "\"ACME\",\"R\"\r\n", "ACME");
        row("bad third item", "\"ACME\",\"R\",\"maybe\"\r\n", "ACME", keep, false, "close box",
            "\"ACME\",\"R\",\"maybe\"\r\n", "ACME");
        row("name only", "\"ACME\"\r\n", "ACME", keep, false, "close box", "\"ACME\"\r\n", "ACME");
        row("trailing blanks dropped", none, "", "ACE MOTORS   ", false, "OK",
            "\"ACE MOTORS\",\"\",\"False\"\r\n", "ACE MOTORS");
        row("leading blanks kept", none, "", "  ACE MOTORS ", false, "OK",
            "\"  ACE MOTORS\",\"\",\"False\"\r\n", "  ACE MOTORS");
        row("blanks only", none, "", "   ", false, "OK",
            "\"" + Defaults::DefaultDealerLine.toLatin1() + "\",\"\",\"False\"\r\n",
            Defaults::DefaultDealerLine);
        row("password ticked", none, "", "NAME", true, "OK", "\"NAME\",\"\",\"True\"\r\n", "NAME");
        row("reserved item carried, password cleared", ticked, "ACME+", "NEW", false, "OK",
            "\"NEW\",\"R\",\"False\"\r\n", "NEW");
        row("CANCEL", none, "", "ACE", false, "CANCEL", none, "");
        row("Escape", none, "", "ACE", false, "Escape", none, "");
        row("close box", none, "", "ACE", false, "close box", none, "");
        row("unwritable file", "<folder>", "", "ACE", false, "OK", none, "ACE");
    }
    void setup() {
        QFETCH(QByteArray, before);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(bool, tick);
        QFETCH(QString, how);
        QFETCH(QByteArray, after);
        QFETCH(QString, dealer);
        if (before == "<folder>")
            QVERIFY(QDir().mkdir(QStringLiteral("ZEL.CFG")));
        else if (!before.isNull())
            writeBytes(QStringLiteral("ZEL.CFG"), before);
        QWidget entry;
        entry.setWindowTitle(QStringLiteral("ENTRY"));
        entry.show();
        QPointer<ZELSetUp> dialog = ZELSetUp::open(&entry);
        QVERIFY(dialog->isVisible() && dialog->isEnabled() && !entry.isEnabled());
        QCOMPARE(dialog->Text1->text() + (dialog->chkPW->isChecked() ? "+" : ""), shown);
        if (!typed.isNull()) {
            dialog->Text1->clear();
            QTest::keyClicks(dialog->Text1, typed);
            dialog->chkPW->setChecked(tick);
        }
        if (how == QLatin1String("OK"))
            QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
        else if (how == QLatin1String("CANCEL"))
            QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            dialog->close();

        QVERIFY(entry.isEnabled());
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(fileBytes(QStringLiteral("ZEL.CFG")), after);
        QCOMPARE(appSettings().DealerName, dealer);
        QCOMPARE(entry.windowTitle(),
                 how == "OK" ? "VOLMERA  VER8.10 " + dealer + ' ' : QString("ENTRY"));
        QCOMPARE(fx->shown(), goldenRows("forms/setup-messages.txt"));
    }

    void entryWindowOpensSetupAndExits() {
        Clock::setToday(QDate(2024, 3, 5));
        appSettings().DealerName = QStringLiteral("ACE");
        frmZEL window;
        QCOMPARE(window.windowTitle(), QStringLiteral("VOLMERA  VER8.10 for ACE "));
        QCOMPARE(appSettings().TodayText, QStringLiteral("03/05/2024"));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        const auto openDialogs = [] {
            QList<ZELSetUp *> open;
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<ZELSetUp *>(top); dialog && dialog->isVisible())
                    open.append(dialog);
            return open;
        };
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(openDialogs().size(), 1);
        QVERIFY(!window.isEnabled());
        // The disabled window does not open a second dialog.
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(openDialogs().size(), 1);

        QTest::mouseClick(openDialogs().first()->cmdCancel, Qt::LeftButton);
        QVERIFY(window.isEnabled());
        QTRY_VERIFY(openDialogs().isEmpty());

        window.findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
        QVERIFY(!window.isVisible());
    }
};

REGISTER_TEST(FormsTest);
#include "tst_forms.moc"
