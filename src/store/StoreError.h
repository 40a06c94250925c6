#pragma once

#include "base/ErrorTrap.h"

// A refusal of the deal store, typed so that callers can tell the cases apart.
class StoreError : public VolmeraError {
public:
    enum class Kind {
        DuplicateKey, // another deal holds the same value of a unique index
        ZeroLength,   // the zero-length text in a field that forbids it
        TooLong,      // a text longer than its field
        Required,     // no value in a field that must have one
        BadValue,     // a value of the wrong kind (a date that is not a date)
        Busy,         // another workstation holds the database or the row
        CannotOpen,   // the file cannot be opened or created
        NotADatabase, // the file is not a deal database
        Damaged,      // the file is a database, but part of it cannot be read
        NoSuchField,  // a field the table does not have
        NoCurrentRow, // a move or read with no current row
        BadCriteria,  // a find criteria that cannot be read
        Other,
    };

    StoreError(Kind kind, const QString &description) : VolmeraError(description), k(kind) {}
    Kind kind() const { return k; }

private:
    Kind k;
};
