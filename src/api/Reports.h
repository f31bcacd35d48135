#pragma once

#include "ReportsInterface.h"

namespace orvane {

/// The component's public object. All Reports objects of a thread share one
/// connection and one instance of each window (SharedState::current()).
/// The showing methods create their window on first use, show it modeless
/// without an owner and return; they have no error treatment of their own.
class Reports : public _Reports
{
public:
    Reports();
    ~Reports() override;
    Reports(const Reports &) = delete;
    Reports &operator=(const Reports &) = delete;

    /// Stores Connection::create(Con) as the thread's SharedConnection and sets
    /// its CursorLocation to 3. A later call switches every window of the thread.
    void InitializeClass(QSqlDatabase Con) override;
    void PurchaseSummary() override;             // pmtPurchaseSummary
    void PurchaseRegisterInvoiceWise() override; // pmtPurchaseRegisterIW
    void ProductWisePurchases() override;        // RptProductWisePurchases
    void ProductPurchaseLedger() override;       // RptPurchaseLedger
    /// Does nothing.
    void CompanyWisePurchase() override;
    void ProductPurchaseReturnLedger() override; // pmtPurchaseReturnLedger
    void PurchaseReturnRegister() override;      // RptPurchaseReturnRegister
    void PurchaseReturnSummary() override;       // RptPurchaseReturnSummary

    void setDefaultDateProvider(std::shared_ptr<DefaultDateProvider> provider) override;
};

} // namespace orvane
