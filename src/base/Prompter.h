#pragma once

#include <QString>
#include <optional>

// Every message box and input box of the program goes through a Prompter, so that the
// windows, the command line and the tests each answer them their own way.
namespace Style {
enum : int {
    OK = 0,
    OKCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    // Enter gives the second button: for a question whose Yes cannot be undone.
    DefaultButton2 = 256,
};
}

// The button a box was answered with.
namespace Answer {
enum : int { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
}

class Prompter {
public:
    virtual ~Prompter() = default;

    // A message box. style is the buttons (0 to 5) plus the icon (16, 32, 48, 64);
    // an empty title gives the application's title. Returns an Answer.
    virtual int msgBox(const QString &text, int style = Style::OK, const QString &title = {}) = 0;

    // An input box; std::nullopt when it was cancelled.
    virtual std::optional<QString> inputBox(const QString &prompt, const QString &title = {},
                                            const QString &defaultText = {}) = 0;

    // The printer dialog: nothing when it was cancelled; else the printer and the copies, or
    // printing to a file: the one named, or without a name the report's document file.
    struct PrinterChoice {
        bool toFile = false;
        QString printer; // a destination of the print service; empty: the default printer
        int copies = 1;
        QString fileName;
    };
    virtual std::optional<PrinterChoice> choosePrinter() = 0;

    // The export file dialog: the file to write (its ending names the format) and, for a PDF,
    // whether on A4 rather than US Letter; nothing when it was cancelled. onlyPdf offers the
    // PDF alone. The command line names its files itself and is never asked.
    struct ExportChoice {
        QString fileName;
        bool a4 = false;
    };
    virtual std::optional<ExportChoice> chooseExportFile(const QString &suggestedName,
                                                         bool onlyPdf) {
        Q_UNUSED(suggestedName);
        Q_UNUSED(onlyPdf);
        return std::nullopt;
    }

    // The prompter every routine uses; the program installs its own at start.
    static Prompter &current();
    static void install(Prompter *prompter);

    static QString applicationTitle() { return QStringLiteral("VOLMERA"); }

    // The buttons of a style and the answer its first (default) button gives.
    static int buttonsOf(int style) { return style & 7; }
    static int firstAnswer(int style);
};
