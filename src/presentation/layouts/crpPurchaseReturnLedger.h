#pragma once

#include "Report.h"

namespace orvane {

/// Product purchase return ledger: the return lines of one product, company,
/// date and product headings.
class crpPurchaseReturnLedger : public Report
{
public:
    crpPurchaseReturnLedger();
};

} // namespace orvane
