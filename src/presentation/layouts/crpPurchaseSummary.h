#pragma once

#include "Report.h"

namespace orvane {

/// Purchase summary: one line per purchase with its paid amount, date heading.
class crpPurchaseSummary : public Report
{
public:
    crpPurchaseSummary();
};

} // namespace orvane
