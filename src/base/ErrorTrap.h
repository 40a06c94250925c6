#pragma once

#include "base/Prompter.h"

#include <QString>
#include <exception>
#include <optional>
#include <utility>

// The program's error, with a plain description for the user.
class VolmeraError : public std::exception {
public:
    explicit VolmeraError(QString description)
        : text(std::move(description)), utf8(text.toUtf8()) {}
    const QString &description() const { return text; }
    const char *what() const noexcept override { return utf8.constData(); }

private:
    QString text;
    QByteArray utf8;
};

// "Carry on and report the last error": each step of a routine runs inside the trap; a step
// that fails is skipped and its description kept; at the end report() shows the last one,
// once, as a critical box titled with the routine's tag.
class ErrorTrap {
public:
    explicit ErrorTrap(QString tag) : tag(std::move(tag)) {}

    // Runs one step; false when it failed (its description is then pending).
    template <class Step> bool run(Step &&step) {
        try {
            step();
            return true;
        } catch (const VolmeraError &e) {
            record(e.description());
        } catch (const std::exception &e) {
            record(QString::fromUtf8(e.what()));
        }
        return false;
    }

    void record(const QString &description) { last = description; }
    bool pending() const { return !last.isNull(); }
    const QString &description() const { return last; }
    void clear() { last = QString(); }

    // Shows the pending error, if any, and clears it.
    void report(Prompter &prompter = Prompter::current());
    // The pending error as it would be shown (text, title), cleared; nothing when none is.
    std::optional<std::pair<QString, QString>> take();

private:
    QString tag;
    QString last;
};
