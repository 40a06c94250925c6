#include "forms/GuiStartup.h"

#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/PathMapping.h"
#include "base/Prompter.h"
#include "domain/startup/BackgroundBackup.h"
#include "forms/frmPW.h"
#include "forms/frmZEL.h"
#include "store/Purge.h"

GuiStartup::GuiStartup() = default;

GuiStartup::~GuiStartup() = default;

void GuiStartup::askPassword() {
    frmPW prompt;
    prompt.exec();
}

void GuiStartup::showEntryScreen() {
    entry = std::make_unique<frmZEL>();
    entry->show();
    backup = std::make_unique<BackgroundBackup>();
    frmZEL *screen = entry.get();
    backup->startIfDue(PathMapping::toLocal(appSettings().DatabasePath),
                       DealPurge::files().backupFolder, Clock::today(),
                       [screen](const QString &failure) {
                           if (failure.isEmpty())
                               return;
                           // Told once, on the screen's thread, under the backup's own title.
                           QMetaObject::invokeMethod(
                               screen,
                               [failure] {
                                   Prompter::current().msgBox(
                                       failure + QStringLiteral("\nIt is tried again at the next "
                                                                "start."),
                                       Style::Exclamation, QStringLiteral("DAILY BACKUP"));
                               },
                               Qt::QueuedConnection);
                       });
}
