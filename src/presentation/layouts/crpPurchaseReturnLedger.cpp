#include "crpPurchaseReturnLedger.h"

namespace orvane {

crpPurchaseReturnLedger::crpPurchaseReturnLedger()
    : Report(QStringLiteral(":/layouts/crpPurchaseReturnLedger.json"))
{
}

} // namespace orvane
