#include "crpPurchaseReturnLedger.h"

#include "ReportLayouts.h"

namespace orvane {

crpPurchaseReturnLedger::crpPurchaseReturnLedger()
    : Report(layoutResource(QStringLiteral("crpPurchaseReturnLedger")))
{
}

} // namespace orvane
