#pragma once

#include "store/Recordset.h"
#include "store/UseLock.h"

#include <QStringList>
#include <memory>

// What the entry screen shows of one deal: the texts of its 44 boxes, the key box and the
// Delivered check box.
struct ShownDeal {
    QStringList boxes = QStringList(44);
    QString lnKey;
    bool delivered = false;
    bool operator==(const ShownDeal &) const = default;
};

// The entry screen's binding to the deal table: the record set in key order, the deal shown,
// and the writing of what the user changed. The screen decides when; this does the store work.
// Each add, edit and delete is written together with its record of who changed what.
class DealBinding {
public:
    bool isOpen() const { return records != nullptr; }
    // Binds to the database file (a local path) and shows the first deal. The database is
    // marked as used by this copy while bound; while another workstation purges it, this waits
    // a while and then fails saying so.
    void open(const QString &path);
    // Releases the database file, for work on the file itself.
    void release();

    Recordset &recordset();
    bool eof() const { return !records || records->eof(); }
    bool bof() const { return !records || records->bof(); }

    // The deal at the current position, as the boxes show it (all empty when there is none).
    ShownDeal current() const;

    // Writes the boxes that differ from what was shown into the current deal. Nothing is
    // written when the store refuses any of it (StoreError).
    void writeChanges(const ShownDeal &now, const ShownDeal &loaded);
    // Deletes the current deal.
    void deleteCurrent();

    // A new deal: started empty, then stored from what the boxes hold. A refused save keeps
    // the new deal pending, so that nothing keyed is lost.
    void startNew();
    void saveNew(const ShownDeal &now);
    void dropNew();
    bool adding() const;

private:
    void put(const ShownDeal &now, const ShownDeal &loaded);
    // Writes the record of the fields that differ, in the transaction of the change.
    void record(const QString &action, const ShownDeal &before, const ShownDeal &after);

    std::unique_ptr<DatabaseUse> use;
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> records;
};
