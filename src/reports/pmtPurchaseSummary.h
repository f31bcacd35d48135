#pragma once

#include "ReportWindow.h"

namespace orvane {

/// "Purchase Summary": one row per purchase of a date range, optionally of one
/// vendor, with its summed line values and its paid amount. The only heading
/// is the date range.
class pmtPurchaseSummary : public ReportWindow
{
    Q_OBJECT
public:
    explicit pmtPurchaseSummary(QWidget *parent = nullptr);
};

} // namespace orvane
