#pragma once

#include <QByteArray>
#include <functional>

// Bytes made a piece at a time on two threads and written in order on the caller's: the caller
// makes the even pieces, a second thread the odd ones, handed over one at a time, so no more
// than a piece or two is held. make(piece, second, into) puts the piece's bytes in into; second
// says it runs on the second thread, and make must be safe to run on both at once. A failure on
// either thread stops both and is thrown here. One piece is made on the caller's thread alone.
void makeInPieces(qsizetype pieces,
                  const std::function<void(qsizetype piece, bool second, QByteArray &into)> &make,
                  const std::function<void(const QByteArray &)> &write);
