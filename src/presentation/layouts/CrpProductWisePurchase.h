#pragma once

#include "Report.h"

namespace orvane {

/// Product-wise purchases against returns. Its title is set at run time;
/// parameters 1 to 3: company code, date range, company name.
class CrpProductWisePurchase : public Report
{
public:
    CrpProductWisePurchase();
};

} // namespace orvane
