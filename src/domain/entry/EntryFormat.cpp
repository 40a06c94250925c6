#include "domain/entry/EntryFormat.h"

#include "base/Format.h"
#include "domain/entry/DateCheck.h"
#include "domain/entry/FieldTable.h"

namespace {
bool isDateBox(int index) {
    return index == FieldTable::dateSold || index == FieldTable::buyerBirth ||
           index == FieldTable::spouseBirth || index == FieldTable::delivery;
}

bool isAmountBox(int index) {
    return index == FieldTable::amountFin || index == 19 ||
           (index >= FieldTable::unitProfit && index <= 34) || index == FieldTable::prftAmt1 ||
           index == 38 || index == 40 || index == FieldTable::pack || index == FieldTable::adminFee;
}

QString withoutTrailingBlanks(QString text) {
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}
} // namespace

QString plainFormat(const QString &mask, const QVariant &value) {
    QString out = FormatUsing(mask, value);
    // A full column may have lost digits (stars for whole digits, decimals cut at its edge),
    // which would throw away what was typed; enough extra "#" (a double has at most 309 whole
    // digits) lets the mask write every digit.
    if (!out.startsWith(u' '))
        out = FormatUsing(QString(320, u'#') + mask, value);
    qsizetype blanks = 0;
    while (blanks < out.size() && out[blanks] == u' ')
        ++blanks;
    return out.mid(blanks);
}

QString entryText(int index, const QString &text) {
    if (index < 0 || index >= FieldTable::count)
        return text;
    const QChar kind = FieldTable::kindOf(index);
    if (kind != u'N' && kind != u'V')
        return text;
    return FieldText(Val(text));
}

QString leaveText(int index, const QString &text) {
    if (isDateBox(index)) {
        if (withoutTrailingBlanks(text).isEmpty())
            return text;
        return index == FieldTable::buyerBirth || index == FieldTable::spouseBirth
                   ? BirthDateCheck(text)
                   : DateCheck(u'D', text);
    }
    if (index == FieldTable::year)
        return DateCheck(u'Y', text);
    if (index == FieldTable::term)
        return plainFormat(QStringLiteral("##0"), Val(text));
    if (index == FieldTable::apr)
        return plainFormat(QStringLiteral("#0.00000"), Val(text));
    if (isAmountBox(index))
        return plainFormat(QStringLiteral("######0.00"), Val(text));
    return text;
}

QString lnKey(const QString &lastName, const QString &stockNumber) {
    return lastName + stockNumber;
}
