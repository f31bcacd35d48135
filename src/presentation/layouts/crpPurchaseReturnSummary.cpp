#include "crpPurchaseReturnSummary.h"

#include "ReportLayouts.h"

namespace orvane {

crpPurchaseReturnSummary::crpPurchaseReturnSummary()
    : Report(layoutResource(QStringLiteral("crpPurchaseReturnSummary")))
{
}

} // namespace orvane
