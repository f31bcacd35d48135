#include "CrpProductWisePurchase.h"

namespace orvane {

CrpProductWisePurchase::CrpProductWisePurchase()
    : Report(QStringLiteral(":/layouts/CrpProductWisePurchase.json"))
{
}

} // namespace orvane
