#pragma once

#include "InvoiceRangeWindow.h"

namespace orvane {

/// "Purchase Register (Invoicewise)": every purchase line of a date range and
/// an invoice-number range, optionally of one party. The number boxes take
/// digits and Backspace only and enter the SQL as typed, so a pasted box that
/// is no whole number is refused before any query runs. The code box accepts
/// any party's code; the only heading is the invoice range.
class pmtPurchaseRegisterIW : public InvoiceRangeWindow
{
    Q_OBJECT
public:
    explicit pmtPurchaseRegisterIW(QWidget *parent = nullptr);
};

} // namespace orvane
