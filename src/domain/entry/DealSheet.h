#pragma once

#include "domain/reports/PaperPrint.h"

#include <QString>
#include <QStringList>

class Prompter;

// The printed deal sheet: the deal on the entry screen as plain text lines in two columns,
// taken from what the screen shows, saved or not.

// The entry screen's caption: "VOLMERA  VER8.10 for <dealer> ".
QString entryCaption(const QString &versionText, const QString &dealerName);

struct SheetSource {
    QString caption;        // the window caption, the sheet's heading
    QStringList boxes;      // the 44 box texts, by index
    QStringList captions;   // the captions of the boxes' labels, by index
    QString fiReserveTotal; // the caption of the Total FI Reserve figure
    QString profitTotal;    // the caption of the Total Profit figure
};

// The captions the entry screen gives the boxes, by index ("" for a box without one).
QStringList fieldCaptions();

// The sheet: 25 lines, one more for each text that runs past the next column (the text then
// continues at that column of a new line). Amounts stand in columns 71 to 80.
QStringList dealSheetLines(const SheetSource &source);

// Asks for a blank sheet and prints the lines, each ended CRLF, with no page eject. Errors
// under "REPORT - PRINT CMD". True only when the sheet was sent.
bool printDealSheet(
    const QStringList &lines, Prompter &prompter,
    const PrintStreamOpener &open = defaultPrinterOpener(QStringLiteral("Deal sheet")));
