#include "crpPurchaseReturnSummary.h"

namespace orvane {

crpPurchaseReturnSummary::crpPurchaseReturnSummary()
    : Report(QStringLiteral(":/layouts/crpPurchaseReturnSummary.json"))
{
}

} // namespace orvane
