#pragma once

#include "Report.h"

namespace orvane {

/// Purchase return register: return lines grouped by return number, with
/// unit, expense, commission and received-amount columns; date and return-number headings.
class CrpPurchaseReturnRegister : public Report
{
public:
    CrpPurchaseReturnRegister();
};

} // namespace orvane
