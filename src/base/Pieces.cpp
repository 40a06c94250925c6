#include "base/Pieces.h"

void makeInPieces(qsizetype pieces,
                  const std::function<void(qsizetype piece, bool second, QByteArray &into)> &make,
                  const std::function<void(const QByteArray &)> &write) {
    PiecesInTurn<QByteArray> made(pieces, make);
    while (!made.atEnd())
        write(made.next());
}
