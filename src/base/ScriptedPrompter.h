#pragma once

#include "base/Prompter.h"

#include <QList>
#include <QQueue>

// Answers boxes from a queue and records every box shown, for tests.
// With an empty queue a message box gets its first button and an input box is cancelled.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        QString kind; // "msgBox" or "inputBox"
        QString text;
        int style = 0;
        QString title;
        QString defaultText = {}; // an input box's default answer
    };

    void answer(int button) { answers.enqueue(button); }
    void type(const std::optional<QString> &text) { typed.enqueue(text); }

    int msgBox(const QString &text, int style = Style::OK, const QString &title = {}) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title = {},
                                    const QString &defaultText = {}) override;
    // With nothing queued the printer dialog is confirmed for the printer.
    void choose(const std::optional<PrinterChoice> &choice) { printers.enqueue(choice); }
    std::optional<PrinterChoice> choosePrinter() override;
    // With nothing queued the export dialog is cancelled.
    void chooseExport(const std::optional<ExportChoice> &choice) { exports.enqueue(choice); }
    std::optional<ExportChoice> chooseExportFile(const QString &suggestedName,
                                                 bool onlyPdf) override;

    QList<Shown> shown;

private:
    QQueue<int> answers;
    QQueue<std::optional<QString>> typed;
    QQueue<std::optional<PrinterChoice>> printers;
    QQueue<std::optional<ExportChoice>> exports;
};

// Installs a prompter for the life of a scope and puts the previous one back.
class PrompterScope {
public:
    explicit PrompterScope(Prompter *prompter);
    ~PrompterScope();
    PrompterScope(const PrompterScope &) = delete;
    PrompterScope &operator=(const PrompterScope &) = delete;

private:
    Prompter *previous;
};
