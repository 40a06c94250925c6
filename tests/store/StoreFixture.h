#pragma once

#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <QDir>
#include <QTemporaryDir>

// A fresh deal database in a temporary folder, with a small helper to add deals.
struct StoreFixture {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("ZELDB.mdb"));

    std::unique_ptr<Database> fresh() {
        createDealDatabase(path);
        return Database::open(path);
    }

    static void addDeal(Recordset &rs, const QString &last, const QString &stock,
                        const QList<std::pair<QString, QVariant>> &more = {}) {
        rs.addNew();
        rs.setField(QStringLiteral("ByLName"), last);
        rs.setField(QStringLiteral("StkNbr"), stock);
        rs.setField(QStringLiteral("LNKey"), last + stock);
        for (const auto &[name, value] : more)
            rs.setField(name, value);
        rs.update();
    }
};
