#pragma once

#include "domain/reports/BuildPolicy.h"
#include "domain/reports/DealSource.h"
#include "domain/reports/ReportConditions.h"

// The report builders: each takes the conditions and the deals in its report's order, and
// gives the list lines, the totals captions and the salesperson keys. Moves go through the
// failure policy; a cancelled build keeps the lines made so far.
ReportOutput DoFILog(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
ReportOutput DoSummary(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
ReportOutput DoGrossSale(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
ReportOutput DoCommRpt(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
ReportOutput DoCustFile(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
ReportOutput DoAnnv_DOB(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
ReportOutput DoSrvCnt(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
ReportOutput DoModel(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
ReportOutput DoLetters(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
