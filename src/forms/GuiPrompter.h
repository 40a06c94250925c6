#pragma once

#include "base/Prompter.h"

// The windows' prompter: real message boxes and input boxes, over the active window.
class GuiPrompter : public Prompter {
public:
    int msgBox(const QString &text, int style = Style::OK, const QString &title = {}) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title = {},
                                    const QString &defaultText = {}) override;
    std::optional<PrinterChoice> choosePrinter() override;
    std::optional<ExportChoice> chooseExportFile(const QString &suggestedName,
                                                 bool onlyPdf) override;
};
