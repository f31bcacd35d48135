#include "CrpPurchaseReturnRegister.h"

namespace orvane {

CrpPurchaseReturnRegister::CrpPurchaseReturnRegister()
    : Report(QStringLiteral(":/layouts/CrpPurchaseReturnRegister.json"))
{
}

} // namespace orvane
