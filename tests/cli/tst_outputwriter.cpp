#include "TestRegistry.h"
#include "cli/OutputWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>
#include <cstdlib>

// The report's JSON rows are written number by number: each must read exactly as QJsonDocument
// writes it, whole amounts of eight digits and more included.
class OutputWriterTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void jsonNumber_data() {
        QTest::addColumn<double>("number");
        for (double n :
             {0.0, -0.0, 3.0, -2.5, 0.1, 1234567.89, 10000000.0, -10000000.0, 10000000.5,
              99999999.99, 1e15, 9007199254740992.0, 9007199254740994.0, 1e16, 1e21, 1e-7})
            QTest::newRow(QByteArray::number(n, 'g', 17).constData()) << n;
    }
    void jsonNumber() {
        QFETCH(double, number);
        char *written = nullptr;
        size_t size = 0;
        std::FILE *stream = open_memstream(&written, &size);
        QVERIFY(stream != nullptr);
        OutputWriter(stream).jsonNumber(number);
        std::fclose(stream);
        const QByteArray got(written, qsizetype(size));
        std::free(written);
        const QByteArray general = QJsonDocument(QJsonArray{number}).toJson(QJsonDocument::Compact);
        QCOMPARE(got, general.mid(1, general.size() - 2));
    }
};

REGISTER_TEST(OutputWriterTest);
#include "tst_outputwriter.moc"
