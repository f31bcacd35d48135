#pragma once

#include "ReportWindow.h"

namespace orvane {

/// "Purchase Returns Summary": returns of a date range, optionally of one
/// vendor, one row per return and unit price, with the company name and the
/// date range as headings. The frame's window as it stands.
class RptPurchaseReturnSummary : public ReportWindow
{
    Q_OBJECT
public:
    explicit RptPurchaseReturnSummary(QWidget *parent = nullptr);
};

} // namespace orvane
