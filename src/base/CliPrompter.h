#pragma once

#include "base/Prompter.h"

// The command line's prompter: it never waits. Messages go to standard error; a question is
// answered Yes (or OK, or Retry) only when the run was told so (--yes), otherwise with the
// refusing button; an input box is cancelled.
class CliPrompter : public Prompter {
public:
    explicit CliPrompter(bool assumeYes, PrinterChoice printer = {})
        : assumeYes(assumeYes), printer(std::move(printer)) {}

    int msgBox(const QString &text, int style = Style::OK, const QString &title = {}) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title = {},
                                    const QString &defaultText = {}) override;
    // The printer the run was told to use.
    std::optional<PrinterChoice> choosePrinter() override { return printer; }

private:
    bool assumeYes;
    PrinterChoice printer;
};
