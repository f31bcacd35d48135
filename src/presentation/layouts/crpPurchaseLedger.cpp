#include "crpPurchaseLedger.h"

namespace orvane {

crpPurchaseLedger::crpPurchaseLedger()
    : Report(QStringLiteral(":/layouts/crpPurchaseLedger.json"))
{
}

} // namespace orvane
