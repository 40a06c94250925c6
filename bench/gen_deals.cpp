// Writes N generated deals into a deal database through the store, creating it when missing.
//   volmera_gen (--out FILE | --database URI) --count N [--seed S] [--salespeople K]
//               [--stock-prefix P] [--batch B]
#include "DealGenerator.h"

#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{"out", "Database file.", "FILE"},
                       {"database", "Database on a server (connection string or URI).", "URI"},
                       {"count", "Deals to add.", "N", "1000"},
                       {"seed", "Random seed.", "S", "1"},
                       {"salespeople", "Number of salespeople.", "K", "12"},
                       {"stock-prefix", "Stock number prefix.", "P", "G"},
                       {"batch", "Deals per transaction.", "B", "1000"}});
    parser.process(app);
    const QString out = parser.value("out");
    if (out.isEmpty() == parser.value("database").isEmpty()) {
        std::fprintf(stderr, "volmera_gen: give either --out FILE or --database URI\n");
        return 2;
    }
    try {
        DatabaseAddress address(out);
        if (!out.isEmpty() && !QFileInfo::exists(out))
            createDealDatabase(address);
        if (out.isEmpty()) {
            address = DatabaseAddress::server(parser.value("database"));
            openDealDatabase(address); // makes the table when the server has none
        }
        auto db = Database::open(address);
        auto rs = db->openRecordset(DealSchema::Table);
        DealGenerator gen(parser.value("seed").toUInt(), parser.value("salespeople").toInt(),
                          parser.value("stock-prefix"));
        const int count = parser.value("count").toInt();
        const int batch = qMax(1, parser.value("batch").toInt());
        for (int done = 0; done < count;) {
            Transaction t(*db);
            for (int i = 0; i < batch && done < count; ++i, ++done) {
                rs->addNew();
                for (const auto &[name, value] : gen.next())
                    rs->setField(name, value);
                rs->update();
            }
            t.commit();
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "volmera_gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
