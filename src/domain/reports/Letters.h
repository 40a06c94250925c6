#pragma once

#include "domain/reports/ReportConditions.h"

#include <QString>
#include <QStringList>

// The form letters to customers: the recipients are listed by DoLetters (Builders.h); the
// letter for one of them is composed here from its template file.

// Mixed case for names and places: the first capital A-Z of each word stays, every later one
// is lowered; only blanks separate words, other characters are left as they are.
QString ConvertLetters(const QString &source);

// The three letters (0 dealership, 1 salesperson, 2 service follow-up).
struct LetterDescriptor {
    QString templatePath; // as the program names it, ".\Letter1.TXT" ...
    QString heading;      // over the list of recipients: "Dealership Thank You Letter for:"
    QString caption;      // of the window that writes it: "REPORT - DEALERSHIP THANK YOU"
};
// The letter of a selector; nullptr for any other.
const LetterDescriptor *letterDescriptor(int letterSelector);

// The ten parts of the recipient on line i of a built letters list, as the line shows them
// joined by "/"; none beyond the list.
QStringList recipientParts(const ReportOutput &built, qsizetype i);

// The letter for a recipient's ten parts: the head with todayText (mm/dd/yyyy) and the
// address, then the template merged line by line, then the signature unless the template
// ends itself with "*E". Lines end with CRLF and are indented by 12 blanks. Throws
// VolmeraError naming the file when the template cannot be read; nothing is composed then.
QString composeLetter(const QStringList &parts, int letterSelector, const QString &todayText,
                      const QString &dealerName);
