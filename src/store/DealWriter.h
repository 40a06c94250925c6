#pragma once

#include "store/Database.h"

#include <QByteArray>
#include <QStringView>
#include <array>
#include <optional>

// Adds deals to the deal table through statements prepared once for a whole import. A deal
// whose stock number or key is stored already counts as already there only when the stored
// row holds the very same texts, as an import run again after an interruption finds it; a
// different deal under that stock number or key is refused.
class DealWriter {
public:
    // The fields written: DateSold to Pack in table order, then LNKey.
    static constexpr int FieldCount = 43;
    // Each field's text (DateSold as yyyy-mm-dd), or nothing for Null. The texts need to live
    // only while add() runs.
    using Fields = std::array<std::optional<QStringView>, FieldCount>;
    enum class Result { Stored, AlreadyThere };

    explicit DealWriter(Database &db);

    // Throws StoreError when the deal cannot be stored: DuplicateKey (naming the stored deal),
    // or the kind of the table's rule it breaks.
    Result add(const Fields &fields);

private:
    // Whether the deal being written is stored already under its stock number or key; throws
    // DuplicateKey when another deal is.
    enum class Stored { Nowhere, Same };
    Stored stored();
    QString otherDeal() const; // the holder the last step found, as a refusal says it

    Statement insert;
    Statement holders; // the stored deals with the stock number or the key
    // The texts of the deal being written, one after another as UTF-8, and where each starts.
    QByteArray buffer;
    std::array<qsizetype, FieldCount + 1> start{};
    std::array<bool, FieldCount> null{};
    bool lastThere = false;
};
