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

// The twelve months ending with the ending date, month by month: units, F&I income, income per
// unit and service contract penetration, as the summary counts them.
ReportOutput DoTrend(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
// The first day of the trend's twelve months: the first of the month eleven months before the
// ending date's (MM/DD/YYYY); invalid for a text that is no date.
QDate trendFirstDay(const QString &endingDate);

// Each F&I manager and each salesperson, ranked by F&I income: deals, financed deals, the
// penetration of each product, products per deal, F&I income per unit and in all.
ReportOutput DoScoreboard(const ReportConditions &c, DealSource &deals, BuildPolicy &policy);
