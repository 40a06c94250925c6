#pragma once

#include "base/Format.h"
#include "store/DealSchema.h"
#include "store/Selection.h"

#include <QDate>
#include <QString>
#include <memory>

// The ordered deals a report walks. Any step may fail (another workstation may hold the table),
// so a builder runs its moves through the failure policy.
class DealSource {
public:
    virtual ~DealSource() = default;
    virtual void moveFirst() = 0;
    virtual void moveNext() = 0;
    virtual bool eof() const = 0;
    // The row under the cursor, counting from 0, and a move back to one.
    virtual qsizetype position() const = 0;
    virtual void moveTo(qsizetype row) = 0;
    // A field of the current deal as text: Null gives "", a date gives its stored yyyy-mm-dd.
    // The characters stay where they are while the source lives, whatever the cursor does.
    virtual QStringView view(int field) const = 0;
    virtual bool isNull(int field) const = 0;
    // Another source of the same deals with a cursor of its own, which may outlive this one:
    // the report's lines are made from it when they are read.
    virtual std::shared_ptr<DealSource> reader() const = 0;
    // Whether the deals come in the report's order. A report whose figures do not depend on
    // the order may be given them as they are stored, which spares the database a sort.
    virtual bool inReportOrder() const { return true; }
    // How many deals there are, when the source knows it at once; 0 otherwise. A report may
    // make room for that many before the walk.
    virtual qsizetype sizeHint() const { return 0; }

    QString text(int field) const { return view(field).toString(); }
    // An amount: the leading number of the field's text, as currency.
    Currency amount(int field) const { return Currency::fromText(view(field)); }
    QDate date(int field) const;
    // The date formatted "yyyy/mm/dd" for the report's date test; "" when there is none.
    QString dateKey(int field) const;
    // Whether the date key lies from from to to, both ends inclusive, compared as texts are,
    // without making the key; a deal without the date is out of every range.
    bool dateKeyWithin(int field, QStringView from, QStringView to) const;
};

// The deals of one ordered selection, copied into memory once and walked as often as needed.
class MemorySource : public DealSource {
public:
    explicit MemorySource(std::shared_ptr<const SelectionCopy> copy) : rows(std::move(copy)) {}
    void moveFirst() override { pos = 0; }
    void moveNext() override;
    bool eof() const override { return pos >= rows->rows(); }
    qsizetype sizeHint() const override { return rows->rows(); }
    qsizetype position() const override { return pos; }
    void moveTo(qsizetype row) override { pos = row; }
    QStringView view(int field) const override { return rows->view(pos, field); }
    bool isNull(int field) const override { return rows->isNull(pos, field); }
    std::shared_ptr<DealSource> reader() const override {
        return std::make_shared<MemorySource>(rows);
    }
    bool inReportOrder() const override {
        return rows->order() == SelectionCopy::RowOrder::Selected;
    }

private:
    std::shared_ptr<const SelectionCopy> rows;
    qsizetype pos = 0;
};
