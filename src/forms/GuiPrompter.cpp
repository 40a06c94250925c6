#include "forms/GuiPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QList>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace {
using Button = QMessageBox::StandardButton;

// The buttons of a style, the first one being the default.
QList<Button> buttonsFor(int style) {
    switch (Prompter::buttonsOf(style)) {
    case Style::OKCancel:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case Style::AbortRetryIgnore:
        return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case Style::YesNoCancel:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case Style::YesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    case Style::RetryCancel:
        return {QMessageBox::Retry, QMessageBox::Cancel};
    default:
        return {QMessageBox::Ok};
    }
}

QMessageBox::Icon iconFor(int style) {
    // The icon is the style's value above the buttons; only the four known values show one.
    switch (style & 0x70) {
    case Style::Critical:
        return QMessageBox::Critical;
    case Style::Question:
        return QMessageBox::Question;
    case Style::Exclamation:
        return QMessageBox::Warning;
    case Style::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int answerFor(Button button) {
    switch (button) {
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Abort:
        return Answer::Abort;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ignore:
        return Answer::Ignore;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::OK;
    }
}

QString titleOr(const QString &title) {
    return title.isEmpty() ? Prompter::applicationTitle() : title;
}
} // namespace

int GuiPrompter::msgBox(const QString &text, int style, const QString &title) {
    QMessageBox box(iconFor(style), titleOr(title), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    const QList<Button> buttons = buttonsFor(style);
    for (Button button : buttons)
        box.addButton(button);
    box.setDefaultButton(buttons.value((style & Style::DefaultButton2) ? 1 : 0, buttons.first()));
    box.exec();
    const Button clicked = box.standardButton(box.clickedButton());
    if (clicked == QMessageBox::NoButton) {
        // Closed without a button (Escape or the close box): the refusing button if there is one.
        if (buttons.contains(QMessageBox::Cancel))
            return Answer::Cancel;
        return firstAnswer(style);
    }
    return answerFor(clicked);
}

std::optional<QString> GuiPrompter::inputBox(const QString &prompt, const QString &title,
                                             const QString &defaultText) {
    bool ok = false;
    // A prompt's lines may end in a carriage return alone, which a label does not break at.
    const QString lines = QString(prompt)
                              .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                              .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QString text = QInputDialog::getText(QApplication::activeWindow(), titleOr(title), lines,
                                               QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<Prompter::PrinterChoice> GuiPrompter::choosePrinter() {
    QPrinter printer;
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    PrinterChoice choice;
    choice.copies = qMax(1, printer.copyCount());
    if (printer.outputFormat() == QPrinter::PdfFormat || !printer.outputFileName().isEmpty()) {
        choice.toFile = true;
        choice.fileName = printer.outputFileName();
    } else {
        choice.printer = printer.printerName();
    }
    return choice;
}

std::optional<Prompter::ExportChoice> GuiPrompter::chooseExportFile(const QString &suggestedName,
                                                                    bool onlyPdf) {
    // The format follows the name's ending; a name without one takes the chosen type's.
    const QStringList filters = onlyPdf ? QStringList{QStringLiteral("PDF, US Letter (*.pdf)"),
                                                      QStringLiteral("PDF, A4 (*.pdf)")}
                                        : QStringList{QStringLiteral("PDF, US Letter (*.pdf)"),
                                                      QStringLiteral("PDF, A4 (*.pdf)"),
                                                      QStringLiteral("Spreadsheet (*.xlsx)"),
                                                      QStringLiteral("CSV (*.csv)")};
    QString filter = filters.first();
    QString name =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), QStringLiteral("Export"),
                                     suggestedName, filters.join(QStringLiteral(";;")), &filter);
    if (name.isEmpty())
        return std::nullopt;
    const QString ending = filter.section(QLatin1Char('*'), 1).chopped(1); // ".pdf"
    if (QFileInfo(name).suffix().isEmpty())
        name += ending;
    return ExportChoice{name, filter.contains(QLatin1String("A4"))};
}
