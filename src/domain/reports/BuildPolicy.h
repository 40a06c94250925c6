#pragma once

#include "base/Prompter.h"

#include <exception>

// How a report build meets a failing step: it retries at once, silently, twice; at the third
// failure in a row it asks Retry or Cancel. Retry starts the count again; Cancel ends the build
// with the lines made so far.
class BuildPolicy {
public:
    explicit BuildPolicy(Prompter &prompter) : prompter(prompter) {}

    // Runs step until it succeeds; false when the user cancelled.
    template <class Step> bool attempt(Step &&step) {
        for (;;) {
            try {
                step();
                return true;
            } catch (const std::exception &e) {
                if (!retry(e))
                    return false;
            }
        }
    }

private:
    bool retry(const std::exception &e);

    Prompter &prompter;
    int failures = 0;
};
