#pragma once

#include "Report.h"

namespace orvane {

/// Product purchase ledger: the purchase lines of one product, date and product headings.
class crpPurchaseLedger : public Report
{
public:
    crpPurchaseLedger();
};

} // namespace orvane
