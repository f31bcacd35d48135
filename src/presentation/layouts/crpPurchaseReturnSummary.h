#pragma once

#include "Report.h"

namespace orvane {

/// Purchase returns summary: one line per return and unit price, company and date headings.
class crpPurchaseReturnSummary : public Report
{
public:
    crpPurchaseReturnSummary();
};

} // namespace orvane
