#include "domain/sample/DealGenerator.h"

#include "base/Format.h"
#include "store/DealSchema.h"
#include "store/Recordset.h"

#include <QDate>

namespace {
const QStringList lastNames = {
    "SMITH",     "JOHNSON",  "WILLIAMS", "BROWN",  "JONES",   "GARCIA", "MILLER",   "DAVIS",
    "WILSON",    "ANDERSON", "TAYLOR",   "THOMAS", "MOORE",   "MARTIN", "JACKSON",  "WHITE",
    "LOPEZ",     "LEE",      "GONZALEZ", "HARRIS", "CLARK",   "LEWIS",  "ROBINSON", "WALKER",
    "PEREZ",     "HALL",     "YOUNG",    "ALLEN",  "O'BRIEN", "KING",   "WRIGHT",   "SCOTT",
    "ZIMMERMAN", "NGUYEN",   "HILL",     "FLORES", "GREEN",   "ADAMS",  "NELSON",   "BAKER"};
const QStringList firstNames = {"JAMES A",  "MARY",    "ROBERT L", "PATRICIA", "JOHN",
                                "JENNIFER", "MICHAEL", "LINDA K",  "DAVID",    "ELIZABETH",
                                "WILLIAM",  "BARBARA", "RICHARD",  "SUSAN M",  "JOSEPH"};
const QStringList cities = {"SPRINGFIELD", "RIVERTON", "FAIRVIEW", "GREENVILLE",
                            "MADISON",     "CLINTON",  "FRANKLIN", "SALEM"};
const QStringList states = {"IL", "OH", "PA", "TX", "GA", "WI", "MO"};
const QStringList makes = {"FORD", "CHEVROLET", "TOYOTA", "HONDA", "DODGE", "NISSAN", "JEEP"};
const QStringList models = {"F150",   "SILVERAD", "CAMRY",    "ACCORD", "RAM1500",
                            "ALTIMA", "WRANGLER", "EXPLORER", "CIVIC",  "MALIBU"};
const QStringList sources = {"GMA", "FMC", "TFS", "BOA", "CUF", "ALY", ""};
const QStringList managers = {"JRB", "KLM", "TPD", ""};
const QStringList products = {"GAP", "ETCH", "TIRE & WHEEL", "KEY REPLACE", "PAINT SEAL"};
const QStringList people = {"ADAMS", "BAKER", "CRUZ",  "DIAZ",  "EVANS", "FOX",   "GRAY",
                            "HUNT",  "IVES",  "JAMES", "KANE",  "LANE",  "MASON", "NASH",
                            "OWENS", "PAGE",  "QUINN", "ROSS",  "SHAW",  "TATE",  "UPTON",
                            "VANCE", "WEBB",  "YATES", "BLAKE", "CHASE", "DUNN",  "ELLIS"};
const QStringList asms = {"REED", "COLE", "WARD", "PRICE"};

// Beyond the plain names, a salesperson gets initials: "ADAMS B", ..., "ADAMS AB".
QString salespersonName(int i) {
    QString name = people[i % people.size()];
    int n = i / people.size();
    if (n == 0)
        return name;
    QString initials;
    for (; n > 0; n = (n - 1) / 26)
        initials.prepend(QChar(QLatin1Char('A' + (n - 1) % 26)));
    return name + QLatin1Char(' ') + initials;
}

// The same name as different clerks type it.
QString typed(const QString &name, int style) {
    switch (style) {
    case 1:
        return name.toLower();
    case 2: {
        QString text = name.toLower();
        bool start = true;
        for (QChar &c : text) {
            if (start)
                c = c.toUpper();
            start = !c.isLetter();
        }
        return text;
    }
    default:
        return name;
    }
}
} // namespace

DealGenerator::DealGenerator(Options options)
    : rng(options.seed), prefix(std::move(options.stockPrefix)) {
    for (int i = 0; i < options.salespeople; ++i)
        names << salespersonName(i);
}

bool DealGenerator::chance(int percent) {
    return std::uniform_int_distribution<int>(0, 99)(rng) < percent;
}

QString DealGenerator::money(int low, int high, int blankPercent) {
    if (chance(blankPercent))
        return QString();
    const int cents = std::uniform_int_distribution<int>(low * 100, high * 100)(rng);
    return FormatUsing(QStringLiteral("######0.00"),
                       QVariant::fromValue(Currency::fromUnits(qint64(cents) * 100)))
        .trimmed();
}

std::vector<std::pair<QString, QVariant>> DealGenerator::next() {
    ++serial;
    const QString last = pick(lastNames);
    const QString stock = (prefix + QString::number(serial)).right(8);
    const QDate sold = QDate(2019, 1, 1).addDays(std::uniform_int_distribution<int>(0, 2555)(rng));
    const bool isNew = chance(55);
    const bool financed = chance(70);
    // One deal in two hundred is a fleet sale with amounts of seven whole digits.
    const bool fleet = chance(1) && chance(50);
    QString salesman = names.isEmpty() ? QString() : pick(names);
    const bool shared = !names.isEmpty() && chance(16);
    const bool withAsm = shared && chance(25);
    if (shared)
        salesman += QLatin1Char('/') + pick(names);
    if (withAsm)
        salesman += QLatin1Char('/') + pick(asms);
    const int caseStyle = std::discrete_distribution<int>({70, 18, 12})(rng);
    salesman = chance(3) ? QString() : typed(salesman, caseStyle).left(30);
    const QDate dob = QDate(1950, 1, 1).addDays(std::uniform_int_distribution<int>(0, 18000)(rng));
    const QString year =
        QString::number(sold.year() - (isNew ? 0 : 1 + serial % 8) + (isNew && chance(30)));

    std::vector<std::pair<QString, QVariant>> deal = {
        {"DateSold", sold},
        {"ByLName", last},
        {"ByFirstMI", pick(firstNames)},
        {"CByLName", chance(35) ? last : QString()},
        {"CByFirstMI", chance(35) ? pick(firstNames) : QString()},
        {"ByAdr", QStringLiteral("%1 %2 ST").arg(100 + serial % 9000).arg(pick(lastNames))},
        {"ByCity", pick(cities)},
        {"ByStateZip", pick(states) + QLatin1Char(' ') + QString::number(10000 + serial % 89999)},
        {"ByDOB", chance(80) ? formatDate(dob, QStringLiteral("mm/dd/yyyy")) : QString()},
        {"CByDOB",
         chance(25) ? formatDate(dob.addDays(400), QStringLiteral("mm/dd/yyyy")) : QString()},
        {"ByPhone",
         QStringLiteral("(555) %1-%2").arg(200 + serial % 700).arg(1000 + serial % 9000)},
        {"Salesman", salesman},
        {"FIMgr", pick(managers)},
        {"Term", financed ? pick(QStringList{"36", "48", "60", "72"}) : QString()},
        {"APR", financed ? QString::number(1.9 + (serial % 80) / 10.0, 'f', 5) : QString()},
        {"LAHElig", chance(60) ? "Y" : "N"},
        {"SrvElig", chance(70) ? "Y" : "N"},
        {"FinanceSrc", financed ? pick(sources) : QString()},
        {"AmountFin",
         financed ? (fleet ? money(1000000, 9999999, 0) : money(8000, 60000, 0)) : QString()},
        {"MoPmt", financed ? (fleet ? money(20000, 200000, 0) : money(200, 1100, 0)) : QString()},
        {"StkNbr", stock},
        {"NewUsed", isNew ? "N" : "U"},
        {"Year", year},
        {"Make", pick(makes)},
        {"Model", pick(models)},
        {"VinNbr", QStringLiteral("1FT%1").arg(serial, 14, 10, QLatin1Char('0'))},
        {"UnitPrft", fleet ? money(100000, 9999999, 0) : money(-500, 4000, 5)},
        {"SmComm1", money(100, 600, 10)},
        {"SmComm2", shared ? money(100, 400, 0) : QString()},
        {"ASMComm", withAsm ? money(50, 200, 0) : QString()},
        {"FIComm", money(50, 500, 30)},
        {"FinRes", financed ? (fleet ? money(10000, 999999, 0) : money(0, 1500, 20)) : QString()},
        {"SrvRes", chance(40) ? money(200, 1200, 0) : QString()},
        {"LifeRes", chance(15) ? money(50, 600, 0) : QString()},
        {"AHRes", chance(12) ? money(50, 600, 0) : QString()},
        {"Pack", money(200, 800, 10)},
        {"LNKey", last + stock},
        {"DelDT", chance(85) ? QVariant(sold.addDays(serial % 5)) : QVariant()},
        {"Delivered", chance(85)},
        {"AdminFee", money(0, 499, 40)},
    };
    for (int i = 1; i <= 3; ++i) {
        const bool has = chance(i == 1 ? 30 : 10);
        deal.push_back({QStringLiteral("Prft%1").arg(i), has ? pick(products) : QString()});
        deal.push_back({QStringLiteral("PrftAmt%1").arg(i), has ? money(100, 900, 0) : QString()});
    }
    return deal;
}

void DealGenerator::addTo(Database &db, int count, int batch) {
    auto rs = db.openRecordset(DealSchema::Table);
    batch = qMax(1, batch);
    for (int done = 0; done < count;) {
        Transaction t(db);
        for (int i = 0; i < batch && done < count; ++i, ++done) {
            rs->addNew();
            for (const auto &[name, value] : next())
                rs->setField(name, value);
            rs->update();
        }
        t.commit();
    }
}
