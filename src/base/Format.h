#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// Money as the program sums it: a fixed-point amount with four decimals.
class Currency {
public:
    Currency() = default;
    static Currency fromUnits(qint64 tenThousandths) {
        Currency c;
        c.units = tenThousandths;
        return c;
    }
    // The leading number of a text (see Val), exactly, rounded half away from zero to four
    // decimals.
    static Currency fromText(QStringView text);
    static Currency fromText(const QString &text) { return fromText(QStringView(text)); }
    static Currency fromDouble(double value);

    qint64 tenThousandths() const { return units; }
    double toDouble() const { return double(units) / 10000.0; }
    QString toPlainText() const; // "-12.5", "1250", "0.0001": no grouping, no trailing zeros

    Currency operator+(Currency o) const { return fromUnits(units + o.units); }
    Currency operator-(Currency o) const { return fromUnits(units - o.units); }
    Currency &operator+=(Currency o) {
        units += o.units;
        return *this;
    }
    bool operator==(const Currency &) const = default;

private:
    qint64 units = 0;
};
Q_DECLARE_METATYPE(Currency)

// The numeric value of a text: its leading number (leading blanks skipped, an optional sign,
// digits, one decimal point); 0 when there is none.
double Val(const QString &text);

// A number laid into a right-aligned column as wide as the mask (one wider for long masks).
// value may be a number, a Currency, a text holding a number, or empty/Null (blanks).
// Whole-number digits that do not fit the column give a column of "*".
QString FormatUsing(const QString &mask, const QVariant &value);
// The same for an amount, without wrapping it in a QVariant: reports lay out many.
QString FormatUsing(const QString &mask, Currency amount);
// FormatUsing of an amount added to the end of text: a report of thousands of blocks lays out
// hundreds of thousands, each without a string of its own.
void appendFormatted(QString &text, const QString &mask, Currency amount);
// A mask laid out amount after amount, as the columns of a report's blocks of figures are: how
// it lays a number out is read from it once, not at every amount.
class NumberColumn {
public:
    explicit NumberColumn(const QString &mask);
    // FormatUsing of the amount, laid out in Latin-1 at to, which has room for the column;
    // returns its end. A line of several columns is made in one buffer and turned into text at
    // once.
    char *layOutLatin1(char *to, Currency amount) const;

    // How a mask of "#", "0", "," and up to nine decimal "0"s lays a number out with whole-number
    // arithmetic; any other mask is not usable so, and takes the general layout.
    struct Form {
        bool usable = false;
        qsizetype width = 0;
        int decimals = 0;
        int forced = 0; // whole digits always shown
        bool grouping = false;
        bool point = false;
    };

private:
    QString mask;
    Form form;
};
// The same for the leading number of a text, read where it lies.
void appendFormatted(QString &text, const QString &mask, QStringView number);
// FormatUsing without the whole-number fast paths that reports use for speed: the one general
// layout those must agree with.
QString formatUsingGeneral(const QString &mask, const QVariant &value);

// A field value as text in United States conventions; Null gives the empty text.
QString FieldText(const QVariant &value);

// A date by one of the masks "mm/dd/yyyy", "mm/dd/yy", "yyyy/mm/dd", "mm/dd", "mmm d, yyyy";
// an invalid date gives the empty text.
QString formatDate(const QDate &date, const QString &mask);
