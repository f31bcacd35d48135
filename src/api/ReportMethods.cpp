// The showing methods of Reports: each shows its window modeless, without an
// owner, and returns at once. A window still open keeps its entries; one that
// was closed has deleted itself and is created afresh, so its load step runs.

#include "Reports.h"

#include "RptProductWisePurchases.h"
#include "RptPurchaseLedger.h"
#include "RptPurchaseReturnRegister.h"
#include "RptPurchaseReturnSummary.h"
#include "pmtPurchaseRegisterIW.h"
#include "pmtPurchaseReturnLedger.h"
#include "pmtPurchaseSummary.h"
#include "SharedState.h"

namespace orvane {

namespace {

template<class T>
void showReportWindow()
{
    T *window = SharedState::current().window<T>();
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void Reports::PurchaseSummary()
{
    showReportWindow<pmtPurchaseSummary>();
}

void Reports::PurchaseRegisterInvoiceWise()
{
    showReportWindow<pmtPurchaseRegisterIW>();
}

void Reports::ProductWisePurchases()
{
    showReportWindow<RptProductWisePurchases>();
}

void Reports::ProductPurchaseLedger()
{
    showReportWindow<RptPurchaseLedger>();
}

void Reports::ProductPurchaseReturnLedger()
{
    showReportWindow<pmtPurchaseReturnLedger>();
}

void Reports::PurchaseReturnRegister()
{
    showReportWindow<RptPurchaseReturnRegister>();
}

void Reports::PurchaseReturnSummary()
{
    showReportWindow<RptPurchaseReturnSummary>();
}

} // namespace orvane
