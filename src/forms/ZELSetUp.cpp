#include "forms/ZELSetUp.h"

#include "base/AppSettings.h"
#include "base/ErrorTrap.h"
#include "base/PathMapping.h"
#include "base/Prompter.h"
#include "base/SettingsFile.h"
#include "domain/startup/ZELMain.h"
#include "store/OfficePassword.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

namespace {
QString withoutTrailingBlanks(QString text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
    return text;
}
} // namespace

// The dialog is not a child of the entry window: disabling a window disables its child windows
// too, and the dialog must stay usable while the entry window is disabled.
ZELSetUp::ZELSetUp(QWidget *entryWindow) : QDialog(nullptr), entryWindow(entryWindow) {
    setObjectName(QStringLiteral("ZELSetUp"));
    setWindowTitle(QStringLiteral("ZEL SETUP"));

    Label1 = new QLabel(QStringLiteral("Dealer Name"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Enter Dealer Name"));
    Text1->setMinimumWidth(320);
    Label1->setBuddy(Text1);
    chkPW = new QCheckBox(QStringLiteral("Include Password"), this);
    chkPW->setObjectName(QStringLiteral("chkPW"));
    auto *lblNewPW = new QLabel(QStringLiteral("New Password"), this);
    txtNewPW = new QLineEdit(this);
    txtNewPW->setObjectName(QStringLiteral("txtNewPW"));
    txtNewPW->setToolTip(QStringLiteral("Enter a New Start-up Password for Every Workstation "
                                        "(at least 8 characters)"));
    lblNewPW->setBuddy(txtNewPW);
    auto *lblNewPW2 = new QLabel(QStringLiteral("Type It Again"), this);
    txtNewPW2 = new QLineEdit(this);
    txtNewPW2->setObjectName(QStringLiteral("txtNewPW2"));
    lblNewPW2->setBuddy(txtNewPW2);
    for (QLineEdit *box : {txtNewPW, txtNewPW2}) {
        box->setEchoMode(QLineEdit::Password);
        box->setMaxLength(64);
    }
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setToolTip(QStringLiteral("Accept and Save Settings"));
    cmdCancel = new QPushButton(QStringLiteral("CANCEL"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setToolTip(QStringLiteral("Exit without Change & Save"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Text1, 0, 1);
    layout->addWidget(chkPW, 1, 1);
    layout->addWidget(lblNewPW, 2, 0);
    layout->addWidget(txtNewPW, 2, 1);
    layout->addWidget(lblNewPW2, 3, 0);
    layout->addWidget(txtNewPW2, 3, 1);
    layout->addLayout(buttons, 4, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &ZELSetUp::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &ZELSetUp::cmdCancel_Click);

    Form_Load();
}

ZELSetUp *ZELSetUp::open(QWidget *entryWindow) {
    auto *dialog = new ZELSetUp(entryWindow);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (entryWindow != nullptr && entryWindow->windowHandle() != nullptr) {
        // Without a parent widget, tie the dialog to the entry window so it stays above it.
        dialog->winId();
        dialog->windowHandle()->setTransientParent(entryWindow->windowHandle());
    }
    dialog->show();
    // The entry window is disabled now, so the keyboard has to move to the dialog.
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

void ZELSetUp::Form_Load() {
    ErrorTrap trap(QStringLiteral("SETUP - FORM LOAD"));
    AppSettings &settings = appSettings();
    if (FileExists(Defaults::SettingsFile)) {
        SettingsFile::Content content{settings.DealerName, settings.ReservedSetting, QString()};
        // The items read before a failure are kept, as start-up does.
        trap.run(
            [&] { SettingsFile::read(PathMapping::toLocal(Defaults::SettingsFile), content); });
        settings.DealerName = content.dealerName;
        settings.ReservedSetting = content.reserved;
        Text1->setText(settings.DealerName);
        if (!content.passwordText.isEmpty()) {
            trap.run([&] { chkPW->setChecked(SettingsFile::toBoolean(content.passwordText)); });
        }
    }
    if (entryWindow)
        entryWindow->setEnabled(false);
    trap.report();
}

void ZELSetUp::cmdOK_Click() {
    ErrorTrap trap(QStringLiteral("SETUP - OK CMD"));
    AppSettings &settings = appSettings();
    const QString newPassword = txtNewPW->text();
    if (!newPassword.isEmpty() || !txtNewPW2->text().isEmpty()) {
        // A password that will not do keeps the dialog open, with nothing saved.
        if (const QString why = OfficePassword::refusal(newPassword, txtNewPW2->text());
            !why.isEmpty()) {
            Prompter::current().msgBox(why, Style::Exclamation, QStringLiteral("ZEL SETUP"));
            txtNewPW->setFocus();
            return;
        }
        trap.run([&] {
            auto db = Database::open(dealDatabase());
            OfficePassword::set(*db, newPassword);
        });
        txtNewPW->clear();
        txtNewPW2->clear();
    }
    settings.DealerName = withoutTrailingBlanks(Text1->text());
    if (settings.DealerName.isEmpty())
        settings.DealerName = Defaults::DefaultDealerLine;
    const bool passwordRequired = chkPW->isChecked();
    trap.run([&] {
        SettingsFile::write(PathMapping::toLocal(Defaults::SettingsFile), settings.DealerName,
                            settings.ReservedSetting, passwordRequired);
    });
    if (entryWindow) {
        entryWindow->setWindowTitle(QStringLiteral("VOLMERA  ") + settings.VersionText +
                                    QLatin1Char(' ') + settings.DealerName + QLatin1Char(' '));
    }
    close();
    // A failed write is told only now, with the dialog gone; the new values stay in use.
    trap.report();
}

void ZELSetUp::cmdCancel_Click() {
    ErrorTrap trap(QStringLiteral("SETUP - CANCEL CMD"));
    trap.run([&] { close(); });
    trap.report();
}

void ZELSetUp::reject() {
    close();
}

void ZELSetUp::closeEvent(QCloseEvent *event) {
    // Every way out passes here: OK, CANCEL, Escape and the close box.
    Form_Unload();
    event->accept();
}

void ZELSetUp::Form_Unload() {
    ErrorTrap trap(QStringLiteral("SETUP - FORM UNLOAD"));
    trap.run([&] {
        if (entryWindow)
            entryWindow->setEnabled(true);
    });
    trap.report();
}
