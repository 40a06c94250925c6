#include "TestRegistry.h"

#include "base/Pieces.h"

#include <QTest>
#include <chrono>
#include <stdexcept>
#include <thread>

// Pieces made on two threads come out in order, whichever thread made each and however slowly
// the caller takes them; a piece that fails is thrown when it is taken, after those before it.
class PiecesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void inOrder_data() {
        QTest::addColumn<int>("pieces");
        QTest::addColumn<int>("failing"); // -1 for none
        QTest::addColumn<bool>("slowCaller");
        for (const bool slow : {false, true}) {
            const char *pace = slow ? "slow caller" : "quick caller";
            QTest::addRow("none, %s", pace) << 0 << -1 << slow;
            QTest::addRow("one, %s", pace) << 1 << -1 << slow;
            QTest::addRow("two, %s", pace) << 2 << -1 << slow;
            QTest::addRow("forty, %s", pace) << 40 << -1 << slow;
            QTest::addRow("forty, the first failing, %s", pace) << 40 << 0 << slow;
            QTest::addRow("forty, the seventh failing, %s", pace) << 40 << 6 << slow;
            QTest::addRow("forty, the last failing, %s", pace) << 40 << 39 << slow;
        }
    }
    void inOrder() {
        QFETCH(int, pieces);
        QFETCH(int, failing);
        QFETCH(bool, slowCaller);
        PiecesInTurn<QByteArray> made(pieces, [&](qsizetype piece, bool, QByteArray &into) {
            if (piece == failing)
                throw std::runtime_error("piece " + std::to_string(piece));
            into = QByteArray::number(piece) + ' ';
        });
        QByteArray got, expected;
        QString error;
        try {
            while (!made.atEnd()) {
                if (slowCaller) // the second thread runs ahead
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                got += made.next();
            }
        } catch (const std::runtime_error &e) {
            error = QString::fromStdString(e.what());
        }
        for (int piece = 0; piece < (failing < 0 ? pieces : failing); ++piece)
            expected += QByteArray::number(piece) + ' ';
        QCOMPARE(got, expected);
        QCOMPARE(error, failing < 0 ? QString() : QStringLiteral("piece %1").arg(failing));
    }

    // Left before the end, the second thread stops.
    void leftEarly() {
        int taken = 0;
        {
            PiecesInTurn<QByteArray> made(1000,
                                          [](qsizetype, bool, QByteArray &into) { into = "x"; });
            for (; taken < 3; ++taken)
                made.next();
        }
        QCOMPARE(taken, 3);
    }
};

REGISTER_TEST(PiecesTest);
#include "tst_pieces.moc"
