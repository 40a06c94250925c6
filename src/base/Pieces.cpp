#include "base/Pieces.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace {
// The pieces one thread makes for another, handed over one at a time.
struct Handover {
    std::mutex mutex;
    std::condition_variable changed;
    QByteArray piece;
    bool full = false;
    bool stop = false;
    std::exception_ptr failed;
};
} // namespace

void makeInPieces(qsizetype pieces,
                  const std::function<void(qsizetype piece, bool second, QByteArray &into)> &make,
                  const std::function<void(const QByteArray &)> &write) {
    QByteArray bytes;
    if (pieces < 2) {
        for (qsizetype piece = 0; piece < pieces; ++piece) {
            bytes.resize(0);
            make(piece, false, bytes);
            write(bytes);
        }
        return;
    }
    Handover h;
    std::thread second([&] {
        try {
            for (qsizetype piece = 1; piece < pieces; piece += 2) {
                QByteArray made;
                make(piece, true, made);
                std::unique_lock lock(h.mutex);
                h.changed.wait(lock, [&] { return !h.full || h.stop; });
                if (h.stop)
                    return;
                h.piece = std::move(made);
                h.full = true;
                h.changed.notify_all();
            }
        } catch (...) {
            const std::lock_guard lock(h.mutex);
            h.failed = std::current_exception();
            h.full = true;
            h.changed.notify_all();
        }
    });
    const auto finish = [&] {
        {
            const std::lock_guard lock(h.mutex);
            h.stop = true;
        }
        h.changed.notify_all();
        second.join();
    };
    try {
        for (qsizetype piece = 0; piece < pieces; ++piece) {
            if (piece % 2 == 0) {
                bytes.resize(0);
                make(piece, false, bytes);
            } else {
                std::unique_lock lock(h.mutex);
                h.changed.wait(lock, [&] { return h.full; });
                if (h.failed)
                    std::rethrow_exception(h.failed);
                // Taken, not swapped: every piece ends on this thread.
                bytes = std::exchange(h.piece, QByteArray());
                h.full = false;
                h.changed.notify_all();
            }
            write(bytes);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}
