#pragma once

#include "store/Database.h"

#include <QByteArray>
#include <QStringView>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class PgDatabase;

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

    // On a server, where every statement waits for its answer, deals are better kept and
    // written many at once: keep() holds a copy of the deal, and write() stores the deals kept
    // and answers for each, in their order, with its result or its refusal (a StoreError of
    // the kinds add() throws). A failure of any other kind is thrown, and then nothing was
    // written. On the file, keeping is not worth it.
    bool keeps() const { return server != nullptr; }
    void keep(const Fields &fields);
    int kept() const { return int(held.size()); }
    using Answer = std::function<void(int deal, Result result, const StoreError *refusal)>;
    void write(const Answer &answer);

private:
    // The texts of a deal, one after another as UTF-8, where each starts, and its Nulls.
    struct Texts {
        QByteArray buffer;
        std::array<qsizetype, FieldCount + 1> start{};
        std::array<bool, FieldCount> null{};
        std::optional<QByteArrayView> text(int field) const;
    };
    void gather(const Fields &fields, Texts &into);
    Result addGathered();

    // Whether the deal being written is stored already under its stock number or key; throws
    // DuplicateKey when another deal is.
    enum class Stored { Nowhere, Same };
    Stored stored();
    QString otherDeal() const; // the holder the last step found, as a refusal says it

    Statement insert;
    Statement holders; // the stored deals with the stock number or the key
    // On a server: the server, and the statement that writes the deals kept but those whose
    // stock number or key is held already.
    PgDatabase *server = nullptr;
    std::unique_ptr<Statement> manyOrNone;
    bool conflicts = false;
    Texts deal;              // the deal being written
    std::vector<Texts> held; // the deals kept
    bool lastThere = false;
};
