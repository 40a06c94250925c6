// libFuzzer target for the reader of the dealer system's fixed-record export: besides what
// every export input must give (see ImportFuzz.h), each record after the header is accounted
// for exactly once, as a deal, a refusal or a record not for import, so a damaged record can
// neither take others with it nor vanish. Built and run by scripts/fuzz; never part of the
// default build.
#include "ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Transaction rolledBack(ImportFuzz::database());
    ImportFuzz::Sink sink(ImportFuzz::database());
    std::size_t length = size;
    // An end-of-file mark after the last record is not part of it.
    if (length % DealImport::RecordLength == 1 && data[length - 1] == 0x1A)
        --length;
    const bool read = ImportFuzz::read(DealImport::Form::Fixed, data, size, sink);
    check(read == (length >= std::size_t(DealImport::RecordLength)));
    if (read) {
        const std::size_t records =
            (length + DealImport::RecordLength - 1) / DealImport::RecordLength;
        check(std::size_t(sink.deals + sink.refusals + sink.skipped) == records - 1);
    }
    return 0;
}
