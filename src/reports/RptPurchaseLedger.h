#pragma once

#include "ReportWindow.h"

namespace orvane {

/// "Product Purchase Ledger": every purchase line of one product in a date
/// range. The product code is required and must name a product (its name box
/// filled by the lookup) before anything is queried. Headings: the date range
/// and "Product : CODE   NAME".
class RptPurchaseLedger : public ReportWindow
{
    Q_OBJECT
public:
    explicit RptPurchaseLedger(QWidget *parent = nullptr);

protected:
    /// The controls of both product ledgers, for the report `kind`.
    static Controls productControls(ReportKind kind);
    RptPurchaseLedger(const Controls &controls, QWidget *parent);
};

} // namespace orvane
