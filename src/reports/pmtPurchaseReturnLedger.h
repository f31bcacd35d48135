#pragma once

#include "RptPurchaseLedger.h"

namespace orvane {

/// "Product Purchase Return Ledger": the purchase ledger's twin over purchase
/// returns, with the company name (registry table) as a further heading. Print
/// refuses an empty code box with "Please Enter Product Id" before anything
/// else, and a click into an empty code box empties the name box.
class pmtPurchaseReturnLedger : public RptPurchaseLedger
{
    Q_OBJECT
public:
    explicit pmtPurchaseReturnLedger(QWidget *parent = nullptr);

protected:
    void printFlow() override;
    void codeBoxClicked() override;
};

} // namespace orvane
