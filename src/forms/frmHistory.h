#pragma once

#include "store/DatabaseAddress.h"

#include <QDialog>

class QPlainTextEdit;

// Deal History: who changed the shown deal, when, and what, oldest first.
class frmHistory : public QDialog {
    Q_OBJECT
public:
    frmHistory(const DatabaseAddress &database, const QString &stock, QWidget *parent = nullptr);

    QPlainTextEdit *txtHistory = nullptr;
};
