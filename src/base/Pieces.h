#pragma once

#include <QByteArray>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>

// Pieces made in order on two threads and taken in turn on the caller's: next() makes the even
// pieces on the caller's thread, a second thread the odd ones ahead, handed over one at a time,
// so no more than a piece or two is held. make(piece, second, into) fills an empty into; second
// says it runs on the second thread, and make must be safe to run on both at once. A failure on
// the second thread is thrown by next() for the piece that failed, once the pieces before it are
// taken; the second thread stops when the pieces are left, taken or not. One piece is made on
// the caller's thread alone.
template <class Piece> class PiecesInTurn {
public:
    using Make = std::function<void(qsizetype piece, bool second, Piece &into)>;
    PiecesInTurn(qsizetype pieces, Make make) : pieces(pieces), make(std::move(make)) {
        if (pieces >= 2)
            helper = std::thread([this] { makeOdd(); });
    }
    ~PiecesInTurn() {
        {
            const std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
        if (helper.joinable())
            helper.join();
    }
    PiecesInTurn(const PiecesInTurn &) = delete;
    PiecesInTurn &operator=(const PiecesInTurn &) = delete;

    bool atEnd() const { return taken >= pieces; }
    // The next piece, valid until the next call.
    Piece &next() {
        const qsizetype piece = taken++;
        if (piece % 2 == 0 || !helper.joinable()) {
            // An emptied byte array keeps its room for the next piece.
            if constexpr (std::is_same_v<Piece, QByteArray>)
                current.resize(0);
            else
                current = Piece();
            make(piece, false, current);
            return current;
        }
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return full; });
        if (failed)
            std::rethrow_exception(failed);
        // Taken, not swapped: every piece ends on this thread.
        current = std::exchange(handed, Piece());
        full = false;
        changed.notify_all();
        return current;
    }

private:
    void makeOdd() {
        try {
            for (qsizetype piece = 1; piece < pieces; piece += 2) {
                Piece made;
                make(piece, true, made);
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return !full || stop; });
                if (stop)
                    return;
                handed = std::move(made);
                full = true;
                changed.notify_all();
            }
        } catch (...) {
            // The piece handed over before is taken first: the failure is thrown for its own.
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return !full || stop; });
            failed = std::current_exception();
            full = true;
            changed.notify_all();
        }
    }

    const qsizetype pieces;
    const Make make;
    qsizetype taken = 0;
    Piece current;
    std::mutex mutex;
    std::condition_variable changed;
    Piece handed;
    bool full = false;
    bool stop = false;
    std::exception_ptr failed;
    std::thread helper; // last: started once the rest is ready
};

// The pieces of PiecesInTurn handed to write in order on the caller's thread.
void makeInPieces(qsizetype pieces,
                  const std::function<void(qsizetype piece, bool second, QByteArray &into)> &make,
                  const std::function<void(const QByteArray &)> &write);
