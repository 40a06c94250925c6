#include "domain/reports/Reports.h"

#include "domain/reports/ReportSelection.h"

using namespace DealSchema;
using Key = ReportDescriptor::SalespersonKey;
using Header = PageLayout::Header;
using Step = PageLayout::Step;
using Totals = PageLayout::Totals;

namespace {
// The customer lists share one printout; the customer file takes two lines an entry, the
// others three, and ends a document page with fewer empty lines.
PageLayout contactLayout(int entry, int fileEndRows) {
    return {QStringLiteral("REPORT - PRINT ANY RPT"),
            Header::Common,
            Step::Entry,
            Totals::None,
            true,
            true,
            entry,
            46,
            entry,
            fileEndRows};
}

// The trend and the scoreboard print their own column headings, a line a step.
PageLayout tableLayout(const QString &tag) {
    return {tag, Header::Table, Step::Line, Totals::None, false, false, 1, 44, 0, 7};
}

// What the summary's figures are made of.
const QList<int> figureFields = {DateSold, NewUsed, Pack,  UnitPrft, Term,     FinRes,   SrvRes,
                                 SrvElig,  LifeRes, AHRes, LAHElig,  PrftAmt1, PrftAmt2, PrftAmt3};

const QList<int> contactFields = {DateSold, NewUsed, Salesman,   ByFirstMI, ByLName,    ByPhone,
                                  ByAdr,    ByCity,  ByStateZip, ByDOB,     CByFirstMI, CByLName,
                                  CByDOB,   Year,    Make,       Model,     SrvElig,    SrvRes};
} // namespace

const QList<ReportDescriptor> &reportTable() {
    namespace A = Accepts;
    static const QList<ReportDescriptor> all = {
        {1,
         QStringLiteral("fi-log"),
         QStringLiteral("REPORT - F&I LOG"),
         QStringLiteral("F & I    L O G"),
         1,
         QStringLiteral("FILogRpt.DOC"),
         QStringLiteral("DateSold"),
         Key::Last,
         A::NewUsed | A::FIMgr, // the log has no salesperson groups to print by
         {QStringLiteral("REPORT - PRINT FILOG"), Header::FILog, Step::Deal, Totals::FILog, true,
          true, 3, 44, 0, 3},
         {DateSold, FIMgr, NewUsed, StkNbr, ByLName, FinanceSrc, Year, Make, Model, Term, APR,
          FinRes, SrvRes, LifeRes, AHRes, PrftAmt1, PrftAmt2, PrftAmt3},
         DoFILog,
         false},
        {2,
         QStringLiteral("summary"),
         QStringLiteral("REPORT - SUMMARY ANALYSIS"),
         QStringLiteral("S U M M A R Y   A N A L Y S I S"),
         2,
         QStringLiteral("SumRpt.DOC"),
         QStringLiteral("DateSold"),
         Key::First,
         A::Salesperson,
         {QStringLiteral("REPORT - PRINT SUMMARY"), Header::Summary, Step::Block, Totals::None,
          true, true, 22, 0, 0, 7},
         {DateSold, Salesman, NewUsed, Pack, UnitPrft, Term, FinRes, SrvRes, SrvElig, LifeRes,
          AHRes, LAHElig, PrftAmt1, PrftAmt2, PrftAmt3},
         DoSummary,
         true,
         true},
        {3,
         QStringLiteral("gross-sales"),
         QStringLiteral("REPORT - GROSS SALES"),
         QStringLiteral("G R O S S    S A L E S    R E P O R T"),
         3,
         QStringLiteral("GSRpt.DOC"),
         QStringLiteral("DateSold"),
         Key::First,
         A::NewUsed | A::Salesperson,
         {QStringLiteral("REPORT - PRINT GSR"), Header::GSR, Step::Line, Totals::GSR, true, false,
          1, 44, 0, 7},
         {DateSold, Salesman, NewUsed, ByLName, StkNbr, Year, Make, Model, UnitPrft, Pack},
         DoGrossSale,
         false},
        {4,
         QStringLiteral("commission"),
         QStringLiteral("REPORT - COMMISSION REPORT"),
         QStringLiteral("C O M M I S S I O N    R E P O R T"),
         4,
         QStringLiteral("CommRpt.DOC"),
         QStringLiteral("DateSold, Salesman"),
         Key::Last,
         A::ASM,
         {QStringLiteral("REPORT - PRINT COMM"), Header::Comm, Step::Line, Totals::Comm, false,
          false, 1, 44, 0, 7},
         {DateSold, Salesman, NewUsed, SmComm1, SmComm2, ASMComm},
         DoCommRpt,
         true},
        {5, QStringLiteral("names"), QStringLiteral("REPORT - CUSTOMER FILE"),
         QStringLiteral("C U S T O M E R    F I L E"), 5, QStringLiteral("NameRpt.DOC"),
         QStringLiteral("ByLName, DateSold"), Key::First, A::NewUsed | A::Salesperson | A::Format,
         contactLayout(2, 7), contactFields, DoCustFile, false},
        {6,
         QStringLiteral("letters"),
         QStringLiteral("REPORT"),
         QString(),
         6,
         QString(),
         QStringLiteral("DateSold"),
         Key::Last,
         A::NewUsed | A::Salesperson | A::Letter,
         {},
         {DateSold, FIMgr, NewUsed, Salesman, ByFirstMI, ByLName, ByAdr, ByCity, ByStateZip, Year,
          Make, Model, CByFirstMI, CByLName},
         DoLetters,
         false},
        {7, QStringLiteral("anniversary"), QStringLiteral("REPORT - PURCHASE ANNIVERSARY"),
         QStringLiteral("P U R C H A S E    A N N I V E R S A R Y"), 5,
         QStringLiteral("AnnvRpt.DOC"), QStringLiteral("ByLName"), Key::First,
         A::NewUsed | A::Salesperson | A::IncludeYear, contactLayout(3, 9), contactFields,
         DoAnnv_DOB, false},
        {8, QStringLiteral("birthday"), QStringLiteral("REPORT - BIRTH DATE"),
         QStringLiteral("B I R T H    D A T E"), 5, QStringLiteral("BirthRpt.DOC"),
         QStringLiteral("ByLName"), Key::First, A::NewUsed | A::Salesperson, contactLayout(3, 9),
         contactFields, DoAnnv_DOB, false},
        {9, QStringLiteral("service"), QStringLiteral("REPORT - SERVICE CONTRACT FOLLOW UP"),
         QStringLiteral("S E R V I C E    C O N T R A C T    F O L L O W    U P"), 5,
         QStringLiteral("SrvCRpt.DOC"), QStringLiteral("SrvElig, DateSold"), Key::First,
         A::NewUsed | A::Salesperson, contactLayout(3, 9), contactFields, DoSrvCnt, false},
        {10, QStringLiteral("model"), QStringLiteral("REPORT - MODEL"),
         QStringLiteral("M O D E L    R E P O R T"), 5, QStringLiteral("ModelRpt.DOC"),
         QStringLiteral("DateSold"), Key::First, A::NewUsed | A::Salesperson | A::Model,
         contactLayout(3, 9), contactFields, DoModel, false},
        {11, QStringLiteral("trend"), QStringLiteral("REPORT - TREND"),
         QStringLiteral("T R E N D    R E P O R T"), 7, QStringLiteral("TrendRpt.DOC"),
         QStringLiteral("DateSold"), Key::First, A::NewUsed | A::EndingOnly,
         tableLayout(QStringLiteral("REPORT - PRINT TREND")), figureFields, DoTrend, true},
        {12, QStringLiteral("scoreboard"), QStringLiteral("REPORT - F&I SCOREBOARD"),
         QStringLiteral("F & I    S C O R E B O A R D"), 7, QStringLiteral("ScoreRpt.DOC"),
         QStringLiteral("DateSold"), Key::First, A::NewUsed,
         tableLayout(QStringLiteral("REPORT - PRINT SCOREBOARD")),
         figureFields + QList<int>{Salesman, FIMgr, Prft1, Prft2, Prft3}, DoScoreboard, true},
    };
    return all;
}

const ReportDescriptor *reportDescriptor(int selector) {
    for (const ReportDescriptor &report : reportTable()) {
        if (report.selector == selector)
            return &report;
    }
    return nullptr;
}

const ReportDescriptor *reportNamed(const QString &name) {
    for (const ReportDescriptor &report : reportTable()) {
        if (report.name == name)
            return &report;
    }
    return nullptr;
}

QString reportNames() {
    QStringList names;
    for (const ReportDescriptor &report : reportTable())
        names << report.name;
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

bool offersSalesperson(const ReportConditions &c) {
    const ReportDescriptor *report = reportDescriptor(c.report);
    if (report == nullptr || !(report->accepts & Accepts::Salesperson))
        return false;
    return !(report->accepts & Accepts::Format) || c.PrtFmt == ReportConditions::LineFormat;
}

QString emptyReportNotice(const ReportConditions &c, const ReportOutput &built) {
    const ReportDescriptor *report = reportDescriptor(c.report);
    if (report == nullptr || !(report->accepts & Accepts::Model) || built.cancelled ||
        !built.lines.isEmpty())
        return {};
    return QStringLiteral("NO DEALS FOR MODEL \"%1\" FROM %2 TO %3")
        .arg(ReportSelection::rtrim(c.Model), c.BDT, c.EDT);
}

ReportOutput buildReport(const ReportConditions &c, const DatabaseAddress &database,
                         Prompter &prompter) {
    const ReportDescriptor *report = reportDescriptor(c.report);
    if (report == nullptr)
        return {};
    BuildPolicy policy(prompter);
    std::unique_ptr<MemorySource> deals;
    const bool opened = policy.attempt([&] {
        auto db = Database::open(database);
        deals = std::make_unique<MemorySource>(
            std::make_shared<SelectionCopy>(*db, ReportSelection::queryText(c), report->fields,
                                            report->anyOrder ? SelectionCopy::RowOrder::Stored
                                                             : SelectionCopy::RowOrder::Selected));
    });
    if (!opened) {
        ReportOutput cancelled;
        cancelled.cancelled = true;
        return cancelled;
    }
    return report->build(c, *deals, policy);
}
