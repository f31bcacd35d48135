#pragma once

#include "ReportPresenter.h"

namespace orvane {

/// Shows prepared reports in RptReportViewer windows: each Preview in a new
/// viewer that becomes the thread's current one, the product-wise report in
/// the current viewer, modally.
class ViewerPresenter : public ReportPresenter
{
public:
    QWidget *showReport(std::unique_ptr<Report> report, const QString &caption) override;
    void showReportModal(std::unique_ptr<Report> report, QWidget *owner) override;

    /// Makes a ViewerPresenter the calling thread's presenter unless one is set.
    static void install();
};

} // namespace orvane
