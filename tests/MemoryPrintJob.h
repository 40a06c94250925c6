#pragma once

#include "app/ErrorTrap.h"
#include "reports/PaperPrint.h"
#include "reports/PrinterPort.h"

// A print job kept in memory, for the printing routines' tests; it can be told to fail when
// the printer is opened or written to.
struct MemoryPrintJob {
    enum Failure { None, Open, Write };
    Failure failure = None;
    int opened = 0;
    QByteArray bytes;
    bool closed = false;

    PrintStreamOpener opener() {
        return [this]() -> std::unique_ptr<PrintStream> {
            if (failure == Open)
                throw VolmeraError("The printer cannot be reached.");
            ++opened;
            return std::make_unique<Stream>(*this);
        };
    }

private:
    struct Stream : PrintStream {
        explicit Stream(MemoryPrintJob &job) : job(job) {}
        void write(const QByteArray &b) override {
            if (job.failure == Write)
                throw VolmeraError("The printer is out of paper.");
            job.bytes += b;
        }
        void close() override { job.closed = true; }
        MemoryPrintJob &job;
    };
};
