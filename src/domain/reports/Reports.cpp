#include "domain/reports/Reports.h"

#include "domain/reports/ReportSelection.h"

using namespace DealSchema;

const QList<ReportKind> &reportKinds() {
    static const QList<ReportKind> all = {
        {1,
         QStringLiteral("fi-log"),
         {DateSold, FIMgr, NewUsed, StkNbr, ByLName, FinanceSrc, Year, Make, Model, Term, APR,
          FinRes, SrvRes, LifeRes, AHRes, PrftAmt1, PrftAmt2, PrftAmt3, Salesman},
         DoFILog},
        {2,
         QStringLiteral("summary"),
         {DateSold, Salesman, NewUsed, Pack, UnitPrft, Term, FinRes, SrvRes, SrvElig, LifeRes,
          AHRes, LAHElig, PrftAmt1, PrftAmt2, PrftAmt3},
         DoSummary},
        {3,
         QStringLiteral("gross-sales"),
         {DateSold, Salesman, NewUsed, ByLName, StkNbr, Year, Make, Model, UnitPrft, Pack},
         DoGrossSale},
        {4,
         QStringLiteral("commission"),
         {DateSold, Salesman, NewUsed, SmComm1, SmComm2, ASMComm},
         DoCommRpt},
        {5,
         QStringLiteral("names"),
         {DateSold, NewUsed, Salesman, ByFirstMI, ByLName, ByPhone, ByAdr, ByCity, ByStateZip},
         DoCustFile},
        {6,
         QStringLiteral("letters"),
         {DateSold, FIMgr, NewUsed, Salesman, ByFirstMI, ByLName, ByAdr, ByCity, ByStateZip, Year,
          Make, Model, CByFirstMI, CByLName},
         DoLetters},
        {7,
         QStringLiteral("anniversary"),
         {DateSold, NewUsed, Salesman, ByFirstMI, ByLName, ByPhone, ByAdr, ByCity, ByStateZip,
          ByDOB, CByFirstMI, CByLName, CByDOB, Year, Make, Model},
         DoAnnv_DOB},
        {8,
         QStringLiteral("birthday"),
         {DateSold, NewUsed, Salesman, ByFirstMI, ByLName, ByPhone, ByAdr, ByCity, ByStateZip,
          ByDOB, CByFirstMI, CByLName, CByDOB, Year, Make, Model},
         DoAnnv_DOB},
        {9,
         QStringLiteral("service"),
         {DateSold, NewUsed, Salesman, SrvElig, SrvRes, Model, ByFirstMI, ByLName, ByPhone, ByAdr,
          ByCity, ByStateZip, Year, Make},
         DoSrvCnt},
        {10,
         QStringLiteral("model"),
         {DateSold, NewUsed, Salesman, Model, ByFirstMI, ByLName, ByPhone, ByAdr, ByCity,
          ByStateZip, Year, Make},
         DoModel},
    };
    return all;
}

const ReportKind *reportKind(int selector) {
    for (const ReportKind &kind : reportKinds()) {
        if (kind.selector == selector)
            return &kind;
    }
    return nullptr;
}

const ReportKind *reportKindNamed(const QString &name) {
    for (const ReportKind &kind : reportKinds()) {
        if (kind.name == name)
            return &kind;
    }
    return nullptr;
}

ReportOutput buildReport(const ReportConditions &c, const QString &databasePath,
                         Prompter &prompter) {
    const ReportKind *kind = reportKind(c.report);
    if (kind == nullptr)
        return {};
    BuildPolicy policy(prompter);
    std::unique_ptr<MemorySource> deals;
    const bool opened = policy.attempt([&] {
        auto db = Database::open(databasePath);
        deals = std::make_unique<MemorySource>(
            std::make_unique<SelectionCopy>(*db, ReportSelection::queryText(c), kind->fields));
    });
    if (!opened) {
        ReportOutput cancelled;
        cancelled.cancelled = true;
        return cancelled;
    }
    return kind->build(c, *deals, policy);
}
