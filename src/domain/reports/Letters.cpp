#include "domain/reports/Letters.h"

#include "base/Cp1252.h"
#include "base/ErrorTrap.h"
#include "base/Format.h"
#include "base/PathMapping.h"
#include "domain/reports/Builders.h"
#include "domain/reports/ReportSelection.h"

#include <QFile>

using namespace DealSchema;
using ReportSelection::rtrim;

QString ConvertLetters(const QString &source) {
    QString out = source;
    bool inWord = false;
    for (QChar &ch : out) {
        const char16_t u = ch.unicode();
        if (u >= u'A' && u <= u'Z') {
            if (inWord)
                ch = QChar(char16_t(u + 32));
            inWord = true;
        } else if (u == u' ') {
            inWord = false;
        }
    }
    return out;
}

namespace {

QString fullName(const DealSource &deals, int first, int last) {
    return ConvertLetters(rtrim(deals.text(first))) + QLatin1Char(' ') +
           ConvertLetters(deals.text(last));
}

// The salesperson who signs: the first name of a shared deal ("SMITH/JONES" is SMITH's).
QString salesperson(QStringView salesman) {
    const qsizetype slash = salesman.indexOf(QLatin1Char('/'));
    return ReportSelection::rtrimmed(slash < 0 ? salesman : salesman.left(slash)).toString();
}

QStringList recipientParts(const DealSource &deals) {
    return {fullName(deals, ByFirstMI, ByLName),
            ConvertLetters(deals.text(ByAdr)),
            ConvertLetters(deals.text(ByCity)),
            deals.text(ByStateZip),
            deals.text(NewUsed),
            deals.text(Year),
            ConvertLetters(deals.text(Make)),
            ConvertLetters(deals.text(Model)),
            fullName(deals, CByFirstMI, CByLName),
            ConvertLetters(salesperson(deals.view(Salesman)))};
}

bool fiManagerPasses(const ReportConditions &c, const DealSource &deals) {
    const QString wanted = rtrim(c.FIMgr);
    return wanted == QLatin1String("ALL") || wanted == rtrim(deals.text(FIMgr));
}

// The template's lines: CRLF or LF ends a line, and a last line without an end still counts.
QStringList templateLines(int letterSelector) {
    const LetterDescriptor *letter = letterDescriptor(letterSelector);
    if (letter == nullptr)
        throw VolmeraError(QStringLiteral("There is no letter number %1.").arg(letterSelector + 1));
    const QString &name = letter->templatePath;
    QFile file(PathMapping::toLocal(name));
    if (!file.exists())
        throw VolmeraError(QStringLiteral("The letter file \"%1\" was not found.").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        throw VolmeraError(QStringLiteral("The letter file \"%1\" cannot be read: %2")
                               .arg(name, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw VolmeraError(QStringLiteral("The letter file \"%1\" cannot be read: %2")
                               .arg(name, file.errorString()));
    QStringList lines = Cp1252::decode(bytes).split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

} // namespace

ReportOutput DoLetters(const ReportConditions &c, DealSource &deals, BuildPolicy &policy) {
    ReportOutput out;
    out.lines.listDeals(deals.reader(), 1, [](const DealSource &d, int, QStringList &lines) {
        lines << recipientParts(d).join(QLatin1Char('/'));
    });
    if (!policy.attempt([&] { deals.moveFirst(); })) {
        out.cancelled = true;
        return out;
    }
    while (!deals.eof()) {
        if (ReportSelection::hasCustomer(deals) && ReportSelection::inDateRange(deals, c) &&
            fiManagerPasses(c, deals) && ReportSelection::vehiclePasses(c, deals.text(NewUsed))) {
            out.lines.addEntry(deals);
        }
        if (!policy.attempt([&] { deals.moveNext(); })) {
            out.cancelled = true;
            return out;
        }
    }
    return out;
}

QStringList recipientParts(const ReportOutput &built, qsizetype i) {
    const DealSource *deal = built.lines.deal(i);
    return deal == nullptr ? QStringList() : recipientParts(*deal);
}

const LetterDescriptor *letterDescriptor(int letterSelector) {
    static const LetterDescriptor letters[] = {
        {QStringLiteral(".\\Letter1.TXT"), QStringLiteral("Dealership Thank You Letter for:"),
         QStringLiteral("REPORT - DEALERSHIP THANK YOU")},
        {QStringLiteral(".\\Letter2.TXT"), QStringLiteral("Salesman Thank You Letter for:"),
         QStringLiteral("REPORT - SALESPERSON THANK YOU")},
        {QStringLiteral(".\\Letter3.TXT"), QStringLiteral("Service Follow-up Letter for:"),
         QStringLiteral("REPORT - SERVICE FOLLOW UP")},
    };
    return letterSelector >= 0 && letterSelector < 3 ? &letters[letterSelector] : nullptr;
}

QString composeLetter(const QStringList &parts, int letterSelector, const QString &todayText,
                      const QString &dealerName) {
    // The template is read first, so a letter that cannot be made leaves nothing half made.
    const QStringList lines = templateLines(letterSelector);

    // Parts as a split of the shown line gave them: without trailing blanks.
    auto part = [&](int number) { return rtrim(parts.value(number - 1)); };
    const QString indent(12, QLatin1Char(' '));
    const QString crlf = QStringLiteral("\r\n");
    const QDate today = QDate::fromString(todayText.trimmed(), QStringLiteral("M/d/yyyy"));

    QString letter = crlf.repeated(4);
    letter += indent + formatDate(today, QStringLiteral("mmm d, yyyy")) + crlf.repeated(3);
    letter += indent + part(1) + crlf;
    letter += indent + part(2) + crlf;
    letter += indent + part(3) + QStringLiteral(", ") + part(4) + crlf.repeated(3);
    letter += indent + QStringLiteral("Dear") + crlf.repeated(2);

    const QString vehicle = part(6) + QLatin1Char(' ') + part(7) + QLatin1Char(' ') + part(8);
    const QList<QPair<QString, QString>> codes = {{QStringLiteral("*V"), vehicle},
                                                  {QStringLiteral("*M"), part(8)},
                                                  {QStringLiteral("*D"), dealerName},
                                                  {QStringLiteral("*S"), part(10)}};
    bool ended = false;
    for (QString line : lines) {
        bool merged = false;
        for (const auto &[code, replacement] : codes) {
            if (line.contains(code)) {
                // The text after the code goes: the code ends the line's own words.
                line = line.left(line.indexOf(QLatin1Char('*'))) + QLatin1Char(' ') + replacement;
                merged = true;
                break;
            }
        }
        if (!merged && line.contains(QLatin1String("*E"))) {
            ended = true;
            break;
        }
        letter += indent + line + crlf;
    }
    if (!ended)
        letter += crlf.repeated(2) + indent + part(10) + crlf + indent + dealerName;
    return letter;
}
