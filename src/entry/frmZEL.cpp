#include "entry/frmZEL.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/ZELSetUp.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>

namespace {
QAction *addItem(QMenu *menu, const QString &caption, const QString &name) {
    QAction *item = menu->addAction(caption);
    item->setObjectName(name);
    // Shown so the menus read as they will, but inert until the feature behind it exists.
    item->setEnabled(false);
    return item;
}
} // namespace

frmZEL::frmZEL(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmZEL"));
    setWindowTitle(QStringLiteral("VOLMERA"));
    buildMenus();
    setCentralWidget(new QWidget(this));

    auto *setupKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this);
    connect(setupKey, &QShortcut::activated, this, [this] { ZELSetUp::open(this); });

    Form_Load();
}

void frmZEL::buildMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuImportZEL = addItem(mnuFile, QStringLiteral("&Import ZEL"), QStringLiteral("mnuImportZEL"));
    mnuAddRec = addItem(mnuFile, QStringLiteral("&Add Record"), QStringLiteral("mnuAddRec"));
    mnuFindRecord =
        addItem(mnuFile, QStringLiteral("&Find Record"), QStringLiteral("mnuFindRecord"));
    mnuDelRecord =
        addItem(mnuFile, QStringLiteral("&Delete Record"), QStringLiteral("mnuDelRecord"));
    mnuRebuild =
        addItem(mnuFile, QStringLiteral("&Rebuild/Purge ZEL"), QStringLiteral("mnuRebuild"));
    mnuPrintRec =
        addItem(mnuFile, QStringLiteral("&Print Current Record"), QStringLiteral("mnuPrintRec"));
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuExit, &QAction::triggered, this, &frmZEL::mnuExit_Click);

    mnuReports = menuBar()->addMenu(QStringLiteral("&Reports"));
    mnuReports->setObjectName(QStringLiteral("mnuReports"));
    const QStringList reports = {
        QStringLiteral("FI &Log"),
        QStringLiteral("&Summary Analysis"),
        QStringLiteral("&Gross Sales Report"),
        QStringLiteral("&Commission Report"),
        QStringLiteral("&Names"),
        QStringLiteral("&Follow-up Letters"),
        QStringLiteral("&Anniversary Report"),
        QStringLiteral("&Birthday Report"),
        QStringLiteral("Ser&vice Cnt Report"),
        QStringLiteral("&Model Report"),
    };
    for (int index = 0; index < reports.size(); ++index) {
        const QString name = QStringLiteral("mnuReport_%1").arg(index);
        if (index != 5) {
            mnuReport.append(addItem(mnuReports, reports.at(index), name));
            continue;
        }
        QMenu *letters = mnuReports->addMenu(reports.at(index));
        letters->setObjectName(name);
        letters->menuAction()->setObjectName(name);
        mnuReport.append(letters->menuAction());
        const QStringList captions = {QStringLiteral("&Dealership Thank You"),
                                      QStringLiteral("&Salesperson Thank You"),
                                      QStringLiteral("Service &Follow up")};
        for (int letter = 0; letter < captions.size(); ++letter)
            mnuLetter.append(
                addItem(letters, captions.at(letter), QStringLiteral("mnuLetter_%1").arg(letter)));
    }

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = addItem(mnuHelp, QStringLiteral("&About"), QStringLiteral("mnuAbout"));
    mnuRecHlp =
        addItem(mnuHelp, QStringLiteral("&Record Action Keys"), QStringLiteral("mnuRecHlp"));
}

void frmZEL::Form_Load() {
    AppSettings &settings = appSettings();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        resize(area.width(), int(area.height() / 1.0465));
        move(area.topLeft());
    }
    settings.TodayText = Clock::todayText();
    setWindowTitle(windowTitle() + QStringLiteral("  ") + settings.VersionText +
                   QStringLiteral(" for ") + settings.DealerName + QLatin1Char(' '));
    settings.AddMode = false;
    settings.ImportBusy = false;
}

void frmZEL::mnuExit_Click() {
    appSettings().AddMode = false;
    close();
}

void frmZEL::closeEvent(QCloseEvent *event) {
    // While the settings dialog holds the window disabled, its close box does nothing either.
    if (!isEnabled() && event->spontaneous()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
