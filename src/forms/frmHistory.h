#pragma once

#include <QDialog>

class QPlainTextEdit;

// Deal History: who changed the shown deal, when, and what, oldest first.
class frmHistory : public QDialog {
    Q_OBJECT
public:
    frmHistory(const QString &databasePath, const QString &stock, QWidget *parent = nullptr);

    QPlainTextEdit *txtHistory = nullptr;
};
