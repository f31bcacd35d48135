#include "ViewerPresenter.h"

#include "Report.h"
#include "RptReportViewer.h"
#include "SharedState.h"

#include <QEvent>
#include <QEventLoop>

namespace orvane {

namespace {

// Quits a modal loop when the viewer is hidden or closed. It lives no longer
// than its loop: a reused viewer must not call into the loop of an earlier run.
class HideWatcher : public QObject
{
public:
    HideWatcher(QWidget *watched, QEventLoop *loop)
        : m_loop(loop)
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide)
            m_loop->quit();
        return false;
    }

private:
    QEventLoop *m_loop;
};

} // namespace

QWidget *ViewerPresenter::showReport(std::unique_ptr<Report> report, const QString &caption)
{
    auto *viewer = new RptReportViewer;
    SharedState::current().setWindow<RptReportViewer>(viewer);
    viewer->ReportName = std::move(report);
    // Setting the caption runs the viewer's load step, before it is shown.
    viewer->setWindowTitle(caption);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

void ViewerPresenter::showReportModal(std::unique_ptr<Report> report, QWidget *owner)
{
    SharedState &state = SharedState::current();
    RptReportViewer *viewer = state.existingWindow<RptReportViewer>();
    if (!viewer || viewer->isVisible()) {
        viewer = new RptReportViewer;
        state.setWindow<RptReportViewer>(viewer);
    }
    viewer->ReportName = std::move(report);
    // Owned by `owner` while it is shown, so it stands over it; the viewer
    // deletes itself when the user closes it.
    viewer->setParent(owner, Qt::Window);
    viewer->setWindowModality(Qt::WindowModal);
    QEventLoop loop;
    HideWatcher watcher(viewer, &loop);
    QObject::connect(viewer, &QObject::destroyed, &loop, &QEventLoop::quit);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    if (viewer->isVisible())
        loop.exec();
}

void ViewerPresenter::install()
{
    SharedState &state = SharedState::current();
    if (!state.reportPresenter())
        state.setReportPresenter(std::make_shared<ViewerPresenter>());
}

} // namespace orvane
