#pragma once

#include "domain/reports/ReportLines.h"

// Mailing labels on continuous label stock: six printed lines a label, the four lines of an
// entry at column 2 and two empty lines.

// The customer file's Label Format list, five lines an entry, to the line printer "LPT1:".
// Asks "LABELS READY TO PRINT" first. A failing step is retried as a report build's are
// (Retry or Cancel after the third failure). A list that ends inside an entry stops at its end.
// False when printing failed or was cancelled after a failure.
bool PrintLabels(const ReportLines &lines);

// Three test labels to line the stock up, on the default printer. Errors are shown under
// "REPORT - PRT LBLS". False when an error occurred.
bool PrintTestLabels();
