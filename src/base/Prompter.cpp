#include "base/Prompter.h"

#include "base/CliPrompter.h"

namespace {
Prompter *installed = nullptr;
}

Prompter &Prompter::current() {
    if (installed == nullptr) {
        // Nothing installed: never wait for an answer that nobody can give.
        static CliPrompter fallback(false);
        return fallback;
    }
    return *installed;
}

void Prompter::install(Prompter *prompter) {
    installed = prompter;
}

int Prompter::firstAnswer(int style) {
    switch (buttonsOf(style)) {
    case Style::AbortRetryIgnore:
        return Answer::Abort;
    case Style::YesNoCancel:
    case Style::YesNo:
        return Answer::Yes;
    case Style::RetryCancel:
        return Answer::Retry;
    default:
        return Answer::OK;
    }
}
