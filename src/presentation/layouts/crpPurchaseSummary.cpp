#include "crpPurchaseSummary.h"

namespace orvane {

crpPurchaseSummary::crpPurchaseSummary()
    : Report(QStringLiteral(":/layouts/crpPurchaseSummary.json"))
{
}

} // namespace orvane
