#include "forms/frmPW.h"

#include "base/AppSettings.h"
#include "base/Prompter.h"
#include "domain/startup/ZELMain.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The box asks for a terminal-like face; where there is none, the system's fixed-pitch font.
QFont fixedPitchFont() {
    QFont font(QStringLiteral("Terminal"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}
} // namespace

frmPW::frmPW(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPW"));
    setWindowTitle(QStringLiteral("VOLMERA"));

    Label1 = new QLabel(QStringLiteral("ORBELIX VOLMERA  PROGRAM"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont titleFont(QStringLiteral("Times New Roman"), 14, QFont::Bold);
    titleFont.setStyleHint(QFont::Serif);
    Label1->setFont(titleFont);
    Label1->setAlignment(Qt::AlignCenter);

    Label2 = new QLabel(QStringLiteral("Password"), this);
    Label2->setObjectName(QStringLiteral("Label2"));

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(fixedPitchFont());
    // The default password has six letters; an office's own may be longer.
    Text1->setMaxLength(officePasswordHash() ? 64 : 6);
    Text1->setEchoMode(QLineEdit::Password);
    // Every typed character shows as "*", whatever the platform's own password dot is.
    Text1->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    Label2->setBuddy(Text1);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto *entry = new QHBoxLayout;
    entry->addWidget(Label2);
    entry->addWidget(Text1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(entry);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &frmPW::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmPW::Command2_Click);
    Text1->setFocus();
}

void frmPW::Command1_Click() {
    appSettings().TypedPassword = Text1->text();
    if (!passwordMatches(appSettings().TypedPassword)) {
        // No limit on the tries: the prompt stays for another one.
        Prompter::current().msgBox(QStringLiteral("PASSWORK INCORRECT"), Style::OK);
        Text1->clear();
        Text1->setFocus();
        return;
    }
    accept();
}

void frmPW::Command2_Click() {
    appSettings().TypedPassword = QString();
    reject();
}
