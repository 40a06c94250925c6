#pragma once

#include <QList>
#include <QMainWindow>

class QAction;
class QMenu;

// The entry screen: the program's main window, from whose menus everything else is reached.
// Closing it ends the program.
class frmZEL : public QMainWindow {
    Q_OBJECT
public:
    explicit frmZEL(QWidget *parent = nullptr);

    QMenu *mnuFile;
    QAction *mnuImportZEL;
    QAction *mnuAddRec;
    QAction *mnuFindRecord;
    QAction *mnuDelRecord;
    QAction *mnuRebuild;
    QAction *mnuPrintRec;
    QAction *mnuExit;
    QMenu *mnuReports;
    QList<QAction *> mnuReport; // index 5 opens the follow-up letters submenu
    QList<QAction *> mnuLetter;
    QMenu *mnuHelp;
    QAction *mnuAbout;
    QAction *mnuRecHlp;

public Q_SLOTS:
    void mnuExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void buildMenus();
};
