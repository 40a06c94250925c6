#pragma once

#include "domain/startup/ZELMain.h"

#include <memory>

class BackgroundBackup;
class frmZEL;

// Start-up's windows: the password prompt and the entry screen, which lives as long as this;
// and the day's backup, begun once the entry screen shows.
class GuiStartup : public StartupScreens {
public:
    GuiStartup();
    ~GuiStartup() override;

    void askPassword() override;
    void showEntryScreen() override;

    frmZEL *entryScreen() const { return entry.get(); }

private:
    std::unique_ptr<frmZEL> entry;
    // After the entry screen, so that it is stopped before the screen goes.
    std::unique_ptr<BackgroundBackup> backup;
};
