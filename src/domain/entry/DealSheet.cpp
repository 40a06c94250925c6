#include "domain/entry/DealSheet.h"

#include "base/Cp1252.h"
#include "base/Format.h"
#include "base/Prompter.h"
#include "domain/entry/FieldTable.h"

namespace {
// Lines of a line printer: a column mark pads with blanks, or starts a new line when the
// text already stands past that column.
class Sheet {
public:
    void col(int column) {
        if (line.size() + 1 > column)
            newLine();
        line += QString(column - 1 - line.size(), QLatin1Char(' '));
    }
    Sheet &operator<<(const QString &text) {
        line += text;
        return *this;
    }
    void newLine() {
        lines << line;
        line.clear();
    }
    QStringList lines;

private:
    QString line;
};

QString amount(const QString &text) {
    return FormatUsing(QStringLiteral("######0.00"), Val(text));
}

// The term and the rate as their boxes hold them: an empty box is laid out blank, not as 0.
QVariant number(const QString &text) {
    return text.trimmed().isEmpty() ? QVariant() : QVariant(Val(text));
}
} // namespace

QString entryCaption(const QString &versionText, const QString &dealerName) {
    return Prompter::applicationTitle() + QStringLiteral("  ") + versionText +
           QStringLiteral(" for ") + dealerName + QLatin1Char(' ');
}

QStringList fieldCaptions() {
    QStringList captions;
    for (const EntryField &f : FieldTable::fields())
        captions << f.caption;
    return captions;
}

QStringList dealSheetLines(const SheetSource &source) {
    const auto box = [&](int index) { return source.boxes.value(index); };
    const auto caption = [&](int index) { return source.captions.value(index); };
    Sheet s;
    // A caption, one blank and the box's text, or the box's amount.
    const auto field = [&](int column, int index) {
        s.col(column);
        s << caption(index) + QLatin1Char(' ') + box(index);
    };
    const auto money = [&](int column, const QString &label, const QString &text) {
        s.col(column);
        s << label + QLatin1Char(' ') + amount(text);
    };
    const auto boxMoney = [&](int column, int index, int captionLength = -1) {
        money(column, caption(index).left(captionLength), box(index));
    };
    // An other profit: the description ends in column 69, the amount stands in 71 to 80.
    const auto otherProfit = [&](int description) {
        const QString text = box(description).left(20);
        s.col(50 + 20 - int(text.size()));
        s << text;
        s.col(71);
        s << amount(box(description + 1));
    };

    s.col(2);
    s << source.caption;
    s.newLine();
    s.newLine();
    field(55, 20);
    s.newLine();
    field(2, 0);
    field(54, 21);
    field(68, 22);
    s.newLine();
    field(58, 23);
    s.newLine();
    s.col(16);
    s << caption(1);
    s.col(32);
    s << caption(2);
    field(57, 24);
    s.newLine();
    s.col(10);
    s << QStringLiteral("BUYER ") + box(1);
    s.col(32);
    s << box(2);
    field(57, 25);
    s.newLine();
    s.col(9);
    s << QStringLiteral("SPOUSE ") + box(3);
    s.col(32);
    s << box(4);
    s.newLine();
    field(8, 5);
    boxMoney(59, 26);
    s.newLine();
    field(11, 6);
    boxMoney(57, 27, 13);
    s.newLine();
    field(6, 7);
    boxMoney(55, 28, 15);
    s.newLine();
    field(6, 8);
    boxMoney(56, 29);
    s.newLine();
    field(5, 9);
    boxMoney(57, 30);
    s.newLine();
    field(8, 10);
    boxMoney(55, 31);
    s.newLine();
    field(4, 11);
    boxMoney(50, 32, 20);
    s.newLine();
    field(9, 12);
    boxMoney(58, 33);
    s.newLine();
    field(2, 42);
    boxMoney(60, 34);
    s.newLine();
    otherProfit(35);
    s.newLine();
    s.col(13);
    s << caption(13) + QLatin1Char(' ') + FormatUsing(QStringLiteral("##0"), number(box(13)));
    s.col(23);
    s << caption(14) + QLatin1Char(' ') + FormatUsing(QStringLiteral("#0.00000"), number(box(14)));
    otherProfit(37);
    s.newLine();
    field(5, 15);
    otherProfit(39);
    s.newLine();
    s.col(5);
    s << QStringLiteral("Srv Eligible ") + box(16);
    money(54, QStringLiteral("Total FI Reserve"), source.fiReserveTotal);
    s.newLine();
    field(3, 17);
    boxMoney(66, 41);
    s.newLine();
    boxMoney(2, 18);
    boxMoney(61, 43);
    s.newLine();
    boxMoney(6, 19);
    money(58, QStringLiteral("Total Profit"), source.profitTotal);
    s.newLine();
    s.newLine();
    return s.lines;
}

bool printDealSheet(const QStringList &lines, Prompter &prompter, const PrintStreamOpener &open) {
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return printOnPaper(QStringLiteral("INSERT BLANK SHEET OF PAPER IN PRINTER"),
                        Cp1252::encode(text), QStringLiteral("REPORT - PRINT CMD"), prompter, open);
}
