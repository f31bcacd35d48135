#include "CrpProductWisePurchase.h"

#include "ReportLayouts.h"

namespace orvane {

CrpProductWisePurchase::CrpProductWisePurchase()
    : Report(layoutResource(QStringLiteral("CrpProductWisePurchase")))
{
}

} // namespace orvane
