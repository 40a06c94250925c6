#include "forms/GuiStartup.h"

#include "forms/frmPW.h"
#include "forms/frmZEL.h"

GuiStartup::GuiStartup() = default;

GuiStartup::~GuiStartup() = default;

void GuiStartup::askPassword() {
    frmPW prompt;
    prompt.exec();
}

void GuiStartup::showEntryScreen() {
    entry = std::make_unique<frmZEL>();
    entry->show();
}
