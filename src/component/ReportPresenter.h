#pragma once

#include <memory>

class QString;
class QWidget;

namespace orvane {

class Report;

/// Where the report windows send a prepared report to be seen. The viewer sits
/// above the windows, so the windows never name it: the component's public
/// object puts the viewer's presenter in the thread's SharedState, and the
/// windows find it there.
class ReportPresenter
{
public:
    virtual ~ReportPresenter() = default;

    /// Shows `report` in a new viewer window captioned `caption`, modeless and
    /// without owner, and returns that window (it deletes itself when closed).
    virtual QWidget *showReport(std::unique_ptr<Report> report, const QString &caption) = 0;

    /// Shows `report` in the component's current viewer window, modally over
    /// `owner`, keeping that window's caption; returns once the user has closed
    /// it. A viewer still on screen from another window keeps its report: a new
    /// one is made then.
    virtual void showReportModal(std::unique_ptr<Report> report, QWidget *owner) = 0;
};

} // namespace orvane
