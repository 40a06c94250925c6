#pragma once

#include "domain/entry/EntrySession.h"
#include "domain/entry/Totals.h"

#include <QList>
#include <QMainWindow>

class EntryBox;
class NavigationBar;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollArea;

// The entry screen: one deal at a time in 44 bound boxes, browsed in key order, added, saved,
// cancelled, deleted and found; the program's main window, from whose menus everything else is
// reached. Closing it ends the program.
class frmZEL : public QMainWindow {
    Q_OBJECT
public:
    explicit frmZEL(QWidget *parent = nullptr);
    ~frmZEL() override;

    // Controls, by their given names.
    QWidget *Picture1 = nullptr;
    QList<EntryBox *> txtZEL;
    QLineEdit *txtLNmKey;
    QCheckBox *chkDelivered;
    QLabel *lblTtlFIRes;
    QLabel *lblTtlPrft;
    NavigationBar *dtaZEL;
    QPushButton *cmdAdd;
    QPushButton *cmdDelete;
    QPushButton *cmdFind;
    QPushButton *cmdCancel;
    QPushButton *cmdSave;

    QMenu *mnuFile;
    QAction *mnuImportZEL;
    QAction *mnuAddRec;
    QAction *mnuFindRecord;
    QAction *mnuDelRecord;
    QAction *mnuRebuild;
    QAction *mnuPrintRec;
    QAction *mnuHistory = nullptr;
    QAction *mnuExportRec;
    QAction *mnuExit;
    QMenu *mnuReports;
    QList<QAction *> mnuReport; // index 5 opens the follow-up letters submenu
    QList<QAction *> mnuLetter;
    QMenu *mnuHelp;
    QAction *mnuAbout;
    QAction *mnuRecHlp;
    // The import's progress frame, made when first needed.
    QGroupBox *fraPrgBox = nullptr;
    QProgressBar *PrgBox = nullptr;
    QLabel *lblPercent = nullptr;

    // The box handlers; the boxes call them with their index. KeyDown and KeyPress return
    // whether the key goes on to the box.
    bool txtZEL_KeyDown(int index, int key, Qt::KeyboardModifiers modifiers);
    bool txtZEL_KeyPress(int index, int &keyAscii);
    void txtZEL_GotFocus(int index);
    void txtZEL_LostFocus(int index);
    // Focus changes of the boxes. A message box or a menu taking the focus for a moment is not
    // a focus change of the screen: the box keeps the screen's focus until another control
    // takes it.
    void boxFocusIn(int index);
    void boxFocusOut(int index, Qt::FocusReason reason);

    // The binding, for the work on the database file itself (import, purge).
    DealBinding &binding() { return session.binding(); }
    // Closes and reopens the bound record set.
    void Refresh();
    // Imports the export file (a local path) of form kind 1 or 2, after asking.
    void ImportDeals(int kind, const QString &path);

public Q_SLOTS:
    void cmdAdd_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    void cmdDelete_Click();
    void cmdFind_Click();
    void mnuAddRec_Click();
    void mnuFindRecord_Click();
    void mnuDelRecord_Click();
    void mnuReport_Click(int index);
    void mnuLetter_Click(int index);
    void mnuPrintRec_Click();
    void mnuHistory_Click();
    void mnuExportRec_Click();
    void mnuExit_Click();
    void mnuImportZEL_Click();
    void mnuRebuild_Click();
    void mnuAbout_Click();
    void mnuRecHlp_Click();
    void CalcTotals();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Placed;
    void buildMenus();
    void buildControls();
    void Form_Load();
    void Form_Resize();
    void AdjToScreen();
    void fitPanel();
    void Picture1_GotFocus();

    void dtaZEL_Move(int action);
    bool leaveRecord();
    void apply(const EntryStep &step);
    void leaveFocusedBox();
    void setBrowseMode(bool browse);
    void focusDateSold();
    void showDeal(const ShownDeal &deal);
    ShownDeal onScreen() const;
    QStringList sheetOnScreen() const;
    void SpecialKeys(int key, Qt::KeyboardModifiers modifiers, bool &acted);
    void makeProgressBox();

    EntrySession session;
    QScrollArea *scroller = nullptr;
    QSize panel{9480, 6060}; // the background panel by the fitting rule, in twips
    QString EntryText;
    DealTotals totals;
    QList<Placed> placed;
    bool quietPanel = false; // the panel takes the focus without sending it on
    int focusedBox = -1;     // the box that has the screen's focus
};
