#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The password prompt that start-up shows modally when the settings ask for a password.
// It leaves what was confirmed with OK in TypedPassword; start-up checks it again afterwards.
class frmPW : public QDialog {
    Q_OBJECT
public:
    explicit frmPW(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QLineEdit *Text1;
    QPushButton *Command1;
    QPushButton *Command2;

public Q_SLOTS:
    void Command1_Click();
    void Command2_Click();
};
