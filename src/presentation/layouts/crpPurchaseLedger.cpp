#include "crpPurchaseLedger.h"

#include "ReportLayouts.h"

namespace orvane {

crpPurchaseLedger::crpPurchaseLedger()
    : Report(layoutResource(QStringLiteral("crpPurchaseLedger")))
{
}

} // namespace orvane
