#pragma once

#include "store/DealWriter.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// The import of deals from the dealer system's export files into the deal table, shared by the
// entry screen's menu and the command line.
namespace DealImport {

// Form 1: fixed records of 394 bytes ("ZEL_DB.DBF"), the first one a header; form 2:
// comma-delimited items, 42 a deal ("INV.PST").
enum class Form { Fixed = 1, Delimited = 2 };

inline const QString ExportFolder = QStringLiteral("\\FI\\");
inline const QString FixedName = QStringLiteral("ZEL_DB.DBF");
inline const QString DelimitedName = QStringLiteral("INV.PST");
constexpr int RecordLength = 394;
constexpr int ItemsPerDeal = 42;

struct ExportFile {
    Form form;
    QString path; // a local path
};

// The export in the folder "\FI\" of the current drive: "ZEL_DB.DBF" when it is there,
// otherwise "INV.PST"; nothing when neither is.
std::optional<ExportFile> findExport();
// The form a file's name tells: "ZEL_DB.DBF" or any ".DBF" is form 1, "INV.PST" or any ".PST"
// form 2 (letter case aside).
std::optional<Form> formOfName(const QString &path);

// A deal of the export that was not stored, and why.
struct Refusal {
    QString where; // "record 7", "line 12"
    QString stockNumber;
    QString reason;
};

struct Outcome {
    int imported = 0;
    int alreadyPresent = 0; // the very same deal stored already: skipped without a word
    int notForImport = 0;   // form 1 records with the stock number "*"
    QList<Refusal> refused;
    QString failure;          // why the run stopped early; deals stored before it stay
    bool fileDeleted = false; // form 2: the export was consumed
    // Form 2: another import of the same file, run at the same time, deleted it first.
    bool fileDeletedElsewhere = false;
    bool clean() const { return refused.isEmpty() && failure.isEmpty(); }
};

// Called as form 1 records are read: the record number (from 2) and the number of records the
// file's length gives (rounded).
using Progress = std::function<void(qint64 record, qint64 records)>;

// Imports the export file into the deal database, in
// transactions of a few thousand deals: a run that is cut short keeps whole batches only, and
// running it again completes it, since a deal stored already is skipped when the stored one is
// the same deal. Nothing is imported into a damaged database. Form 2's file is deleted
// afterwards only when every deal in it was stored or was there.
Outcome importDeals(const DatabaseAddress &database, const ExportFile &file,
                    const Progress &progress = {});

// One deal as read from an export, before it is stored.
struct ReadDeal {
    Form form;
    qint64 number;             // its record (form 1, from 2) or the line it starts on (form 2)
    QString stock;             // as shown in messages
    DealWriter::Fields fields; // valid during the call only
    QString where() const;     // "record 7", "line 12"
};

// What reading an export finds, deal by deal.
class ReadSink {
public:
    virtual ~ReadSink() = default;
    virtual void deal(const ReadDeal &deal) = 0;      // a deal to store
    virtual void refused(const Refusal &refusal) = 0; // one that cannot be stored as it stands
    virtual void notForImport() = 0;                  // a form 1 record with the stock number "*"
};

// Reads the bytes of an export file named name. Throws VolmeraError when the file holds
// nothing that can be read (it is empty, or form 1 lacks a whole first record).
void readExport(Form form, const QString &name, const QByteArray &bytes, ReadSink &sink,
                const Progress &progress = {});

// An export's number laid out by a mask ("##0", "#0.00000", "######0.00"), as the entry screen
// stores it; a plain number is written without going through the general layout.
QString exportNumber(QStringView text, const QString &mask);

// The closing message of a run that refused deals or stopped: its refusals (the first few) and
// what became of the file. Empty for a clean run.
QString closingMessage(const ExportFile &file, const Outcome &outcome);

} // namespace DealImport
