#pragma once

#include "base/CliPrompter.h"

// A headless print run feeds the paper itself: its paper prompts are answered OK. A failing
// label job is not retried for ever: its Retry or Cancel is answered Cancel.
class PaperFedPrompter : public CliPrompter {
public:
    PaperFedPrompter() : CliPrompter(true) {}
    int msgBox(const QString &text, int style, const QString &title) override {
        if (buttonsOf(style) == Style::RetryCancel)
            return CliPrompter(false).msgBox(text, style, title);
        return CliPrompter::msgBox(text, style, title);
    }
};
