#pragma once

#include "Report.h"

namespace orvane {

/// Purchase register (invoice-wise): purchase lines grouped by invoice number,
/// invoice-number heading.
class crpPurchaseRegisterIW : public Report
{
public:
    crpPurchaseRegisterIW();
};

} // namespace orvane
