#include "crpPurchaseRegisterIW.h"

#include "ReportLayouts.h"

namespace orvane {

crpPurchaseRegisterIW::crpPurchaseRegisterIW()
    : Report(layoutResource(QStringLiteral("crpPurchaseRegisterIW")))
{
}

} // namespace orvane
