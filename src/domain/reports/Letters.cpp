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

namespace {
// ConvertLetters on the characters from `from` to the end of text, in place.
void convertFrom(QString &text, qsizetype from) {
    bool inWord = false;
    for (auto ch = text.begin() + from; ch != text.end(); ++ch) {
        const char16_t u = ch->unicode();
        if (u >= u'A' && u <= u'Z') {
            if (inWord)
                *ch = QChar(char16_t(u + 32));
            inWord = true;
        } else if (u == u' ') {
            inWord = false;
        }
    }
}
} // namespace

QString ConvertLetters(const QString &source) {
    QString out = source;
    convertFrom(out, 0);
    return out;
}

namespace {

// Appends a part of the recipient, converted as ConvertLetters does or as it stands.
void appendPart(QString &line, QStringView text, bool convert) {
    const qsizetype from = line.size();
    line.append(text);
    if (convert)
        convertFrom(line, from);
}

void appendFullName(QString &line, const DealSource &deals, int first, int last) {
    appendPart(line, ReportSelection::rtrimmed(deals.view(first)), true);
    line.append(u' ');
    appendPart(line, deals.view(last), true);
}

// The salesperson who signs: the first name of a shared deal ("SMITH/JONES" is SMITH's).
QStringView salesperson(QStringView salesman) {
    const qsizetype slash = salesman.indexOf(QLatin1Char('/'));
    return ReportSelection::rtrimmed(slash < 0 ? salesman : salesman.left(slash));
}

// The recipient's ten parts joined by "/", made in one text as the list shows them a hundred
// thousand at a time; ends, when given, gets where each part ends.
QString recipientLine(const DealSource &deals, QList<qsizetype> *ends = nullptr) {
    QString line;
    line.reserve(160);
    const auto ended = [&] {
        if (ends != nullptr)
            ends->append(line.size());
    };
    appendFullName(line, deals, ByFirstMI, ByLName);
    ended();
    const std::pair<int, bool> fields[] = {{ByAdr, true},    {ByCity, true}, {ByStateZip, false},
                                           {NewUsed, false}, {Year, false},  {Make, true},
                                           {Model, true}};
    for (const auto &[field, convert] : fields) {
        line.append(u'/');
        appendPart(line, deals.view(field), convert);
        ended();
    }
    line.append(u'/');
    appendFullName(line, deals, CByFirstMI, CByLName);
    ended();
    line.append(u'/');
    appendPart(line, salesperson(deals.view(Salesman)), true);
    ended();
    return line;
}

QStringList recipientParts(const DealSource &deals) {
    QList<qsizetype> ends;
    const QString line = recipientLine(deals, &ends);
    QStringList parts;
    qsizetype from = 0;
    for (const qsizetype end : ends) {
        parts << line.mid(from, end - from);
        from = end + 1;
    }
    return parts;
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
        lines << recipientLine(d);
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
