#include "TestRegistry.h"

#include "base/LargeArrays.h"

#include <QTest>
#include <cstdint>
#include <numeric>
#include <vector>

// Arrays on either side of the 2 MB page, grown a value at a time as the summary's sums grow:
// every value kept through each move to more memory, and a copy its own.
class LargeArraysTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void grown_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << 0;
        QTest::newRow("small") << 1000;
        QTest::newRow("one large page of values") << 262144; // 2 MB of 8-byte values
        QTest::newRow("several pages") << 3'000'001;
    }
    void grown() {
        QFETCH(int, count);
        std::vector<qint64, LargeArrayAllocator<qint64>> values;
        for (int i = 0; i < count; ++i)
            values.push_back(i);
        auto copy = values;
        values.assign(values.size(), -1);
        QCOMPARE(std::accumulate(copy.begin(), copy.end(), qint64(0)),
                 qint64(count) * (count - 1) / 2);
        QCOMPARE(std::accumulate(values.begin(), values.end(), qint64(0)), -qint64(count));
#if defined(__linux__)
        // A large array starts on a page of 2 MB, as huge pages need.
        if (copy.capacity() * sizeof(qint64) >= (size_t(2) << 20))
            QCOMPARE(reinterpret_cast<std::uintptr_t>(copy.data()) % (std::uintptr_t(2) << 20),
                     std::uintptr_t(0));
#endif
    }
};

REGISTER_TEST(LargeArraysTest);
#include "tst_largearrays.moc"
