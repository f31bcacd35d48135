#include "CrpPurchaseReturnRegister.h"

#include "ReportLayouts.h"

namespace orvane {

CrpPurchaseReturnRegister::CrpPurchaseReturnRegister()
    : Report(layoutResource(QStringLiteral("CrpPurchaseReturnRegister")))
{
}

} // namespace orvane
