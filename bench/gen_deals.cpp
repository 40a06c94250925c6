// Adds N generated deals to a deal database, creating it when missing. Unlike
// "volmera init --sample", it adds to a database that holds deals already, so that benchmarks
// and tests can grow one (or fill one from two processes at once).
//   volmera_gen --out FILE --count N [--seed S] [--salespeople K] [--stock-prefix P] [--batch B]
#include "domain/sample/DealGenerator.h"
#include "store/DealSchema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{"out", "Database file.", "FILE"},
                       {"count", "Deals to add.", "N", "1000"},
                       {"seed", "Random seed.", "S", "1"},
                       {"salespeople", "Distinct salesperson keys (letter case aside).", "K", "40"},
                       {"stock-prefix", "Stock number prefix.", "P", "G"},
                       {"batch", "Deals per transaction.", "B", "1000"}});
    parser.process(app);
    const QString out = parser.value("out");
    if (out.isEmpty()) {
        std::fprintf(stderr, "volmera_gen: --out FILE is required\n");
        return 2;
    }
    try {
        if (!QFileInfo::exists(out))
            createDealDatabase(out);
        auto db = Database::open(out);
        DealGenerator({parser.value("seed").toUInt(), parser.value("salespeople").toInt(),
                       parser.value("stock-prefix")})
            .addTo(*db, parser.value("count").toInt(), parser.value("batch").toInt());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "volmera_gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
