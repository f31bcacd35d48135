#include "crpPurchaseSummary.h"

#include "ReportLayouts.h"

namespace orvane {

crpPurchaseSummary::crpPurchaseSummary()
    : Report(layoutResource(QStringLiteral("crpPurchaseSummary")))
{
}

} // namespace orvane
