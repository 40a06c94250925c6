#pragma once

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The settings dialog: the dealer name, whether start-up asks for the password, and the
// office's own password. It is
// modeless but keeps the entry window disabled while it is open, so it behaves as modal.
class ZELSetUp : public QDialog {
    Q_OBJECT
public:
    explicit ZELSetUp(QWidget *entryWindow);

    // Opens the dialog over the entry window; it deletes itself when closed.
    static ZELSetUp *open(QWidget *entryWindow);

    QLabel *Label1;
    QLineEdit *Text1;
    QCheckBox *chkPW;
    // A new start-up password for every workstation, typed twice; left empty, none is set.
    QLineEdit *txtNewPW = nullptr;
    QLineEdit *txtNewPW2 = nullptr;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

public Q_SLOTS:
    void cmdOK_Click();
    void cmdCancel_Click();
    // Escape closes the dialog like the close box, so the entry window is enabled again.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_Unload();

    QPointer<QWidget> entryWindow;
};
