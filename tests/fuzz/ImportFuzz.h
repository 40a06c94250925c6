#pragma once

// What the libFuzzer targets of the two export readers share: every input must be read without
// a crash, a hang or a sanitizer report; every deal read must be one the store can be asked to
// take (a sale date, a stock number and a last name, no control character, the key made of the
// last name and the stock number), and the store either takes it, finds it there, or refuses it
// for its data. The deals of an input are written in a transaction that is rolled back.
#include "FuzzCheck.h"
#include "base/Clock.h"
#include "base/ErrorTrap.h"
#include "domain/import/Import.h"
#include "store/DealSchema.h"

#include <QCoreApplication>
#include <QDate>
#include <QTemporaryDir>
#include <cstdint>

namespace ImportFuzz {

class Sink : public DealImport::ReadSink {
public:
    explicit Sink(Database &db) : writer(db) {}

    int deals = 0, refusals = 0, skipped = 0;

    void deal(const DealImport::ReadDeal &deal) override {
        ++deals;
        const auto &f = deal.fields;
        check(f[DealSchema::DateSold].has_value());
        check(QDate::fromString(f[DealSchema::DateSold]->toString(), Qt::ISODate).isValid());
        check(f[DealSchema::StkNbr] && !f[DealSchema::StkNbr]->trimmed().isEmpty());
        check(f[DealSchema::ByLName] && !f[DealSchema::ByLName]->trimmed().isEmpty());
        check(f[DealSchema::LNKey] &&
              *f[DealSchema::LNKey] ==
                  f[DealSchema::ByLName]->toString() + f[DealSchema::StkNbr]->toString());
        // Neither control characters nor the bytes code page 1252 has no character for (which
        // decode to U+0081, U+008D, U+008F, U+0090, U+009D).
        for (const auto &field : f)
            if (field)
                for (QChar c : *field)
                    check(c.unicode() >= 0x20 && c.unicode() != 0x7F &&
                          (c.unicode() < 0x80 || c.unicode() >= 0xA0));
        check(!deal.where().isEmpty());
        try {
            writer.add(f);
        } catch (const StoreError &e) {
            using K = StoreError::Kind;
            check(e.kind() == K::DuplicateKey || e.kind() == K::TooLong ||
                  e.kind() == K::ZeroLength || e.kind() == K::BadValue);
        }
    }
    void refused(const DealImport::Refusal &refusal) override {
        ++refusals;
        check(!refusal.where.isEmpty() && !refusal.reason.isEmpty());
        for (QChar c : refusal.stockNumber)
            check(c.unicode() >= 0x20);
    }
    void notForImport() override { ++skipped; }

private:
    DealWriter writer;
};

// The deal database every input is written into, made once.
inline Database &database() {
    static QTemporaryDir dir;
    static std::unique_ptr<Database> db = [] {
        const QString path = dir.filePath(QStringLiteral("ZELDB.mdb"));
        createDealDatabase(path);
        auto db = Database::open(path);
        // Every input is rolled back: no journal on disk is needed to do that quickly.
        db->exec(QStringLiteral("PRAGMA journal_mode = MEMORY"));
        db->exec(QStringLiteral("PRAGMA synchronous = OFF"));
        return db;
    }();
    return *db;
}

// Reads an input as the given form; true when the reader took it (and counted it in sink).
inline bool read(DealImport::Form form, const std::uint8_t *data, std::size_t size, Sink &sink) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        DealImport::readExport(form, QStringLiteral("EXPORT"), bytes, sink);
        return true;
    } catch (const VolmeraError &) {
        return false;
    }
}

} // namespace ImportFuzz

// Both targets include this header once.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv);
    Clock::setToday(QDate(2026, 6, 15));
    ImportFuzz::database();
    return 0;
}
