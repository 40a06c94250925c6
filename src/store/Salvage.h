#pragma once

#include "store/Database.h"

#include <QStringList>

// What was read of a damaged deal table into a new database file.
struct Salvaged {
    int deals = 0;    // deals copied
    QStringList lost; // the deals the indexes name that could not be read or stored, one a line
};

// Copies every deal that can still be read from the deal table of a damaged database into a new
// database file at newPath (which must not exist), made with the damaged one's own table and
// indexes. Rows are read in stored order, past damaged parts of the file, and then one by one
// wherever an index points; the deals an index knows of but that cannot be read are listed by
// what the index tells (stock number, last name, sale date). The record of changes and the
// office's settings are copied too; a part of them that cannot be read is listed.
Salvaged salvageDeals(Database &damaged, const QString &newPath);
