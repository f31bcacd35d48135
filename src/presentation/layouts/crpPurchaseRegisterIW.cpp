#include "crpPurchaseRegisterIW.h"

namespace orvane {

crpPurchaseRegisterIW::crpPurchaseRegisterIW()
    : Report(QStringLiteral(":/layouts/crpPurchaseRegisterIW.json"))
{
}

} // namespace orvane
