// libFuzzer target for the reader of the dealer system's comma-delimited export: besides what
// every export input must give (see ImportFuzz.h), no deal or refusal comes from nothing: there
// are never more of them than the text has lines. Built and run by scripts/fuzz; never part
// of the default build.
#include "ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Transaction rolledBack(ImportFuzz::database());
    ImportFuzz::Sink sink(ImportFuzz::database());
    const bool read = ImportFuzz::read(DealImport::Form::Delimited, data, size, sink);
    check(read == (size > 0));
    std::size_t lines = 1;
    for (std::size_t i = 0; i < size; ++i)
        lines += data[i] == '\n' || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n'));
    check(std::size_t(sink.deals + sink.refusals) <= lines);
    return 0;
}
