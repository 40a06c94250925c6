#pragma once

#include "domain/startup/ZELMain.h"

#include <memory>

class frmZEL;

// Start-up's windows: the password prompt and the entry screen, which lives as long as this.
class GuiStartup : public StartupScreens {
public:
    GuiStartup();
    ~GuiStartup() override;

    void askPassword() override;
    void showEntryScreen() override;

    frmZEL *entryScreen() const { return entry.get(); }

private:
    std::unique_ptr<frmZEL> entry;
};
