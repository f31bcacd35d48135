#pragma once

#include "InvoiceRangeWindow.h"

namespace orvane {

/// "Purchase Return Register": every return line of a date range and a
/// return-number range, optionally of one vendor, with the product's unit and
/// the return's expense columns. Any text may be typed in the number boxes:
/// the SQL takes their leading number, the heading their text as typed.
/// Headings: the date range and the number range.
class RptPurchaseReturnRegister : public InvoiceRangeWindow
{
    Q_OBJECT
public:
    explicit RptPurchaseReturnRegister(QWidget *parent = nullptr);
};

} // namespace orvane
