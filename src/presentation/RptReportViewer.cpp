#include "RptReportViewer.h"

#include <QApplication>
#include <QEvent>
#include <QResizeEvent>
#include <QShortcut>
#include <QShowEvent>

#include "DrillThrough.h"
#include "Report.h"
#include "ReportView.h"
#include "ShowError.h"
#include "WindowPlacement.h"

namespace orvane {

RptReportViewer::RptReportViewer(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("RptReportViewer"));
    setWindowTitle(QStringLiteral("Previewing Report"));
    CRViewer91 = new ReportView(this);
    CRViewer91->setObjectName(QStringLiteral("CRViewer91"));
    connect(CRViewer91, &ReportView::printButtonClicked, this, &RptReportViewer::onPrintButtonClicked);
    connect(CRViewer91, &ReportView::linkActivated, this, [this](const QString &target, const QString &value) {
        if (ReportName)
            DrillThrough::open(target, value, *ReportName);
    });
    resize(1000, 760);
    CRViewer91->setGeometry(0, 0, width(), height());

    // Escape and Ctrl+W close the preview from wherever the focus is in it.
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto *closing = new QShortcut(keys, this);
        connect(closing, &QShortcut::activated, this, &QWidget::close);
    }
}

RptReportViewer::~RptReportViewer()
{
    // The view must let go of the report before the report goes.
    CRViewer91->setReportSource(nullptr);
}

bool RptReportViewer::isLoaded() const
{
    return ReportName && m_loadedReport == ReportName.get();
}

void RptReportViewer::load()
{
    try {
        m_loadedReport = ReportName.get();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            CRViewer91->setReportSource(ReportName.get());
            CRViewer91->viewReport();
        } catch (...) {
            QApplication::restoreOverrideCursor();
            throw;
        }
        QApplication::restoreOverrideCursor();
        CRViewer91->setZoom(qint16(1));
    } catch (...) {
        ShowError();
    }
}

void RptReportViewer::showEvent(QShowEvent *event)
{
    WindowPlacement::placeOnScreen(this);
    QWidget::showEvent(event);
    if (ReportName && !isLoaded())
        load();
}

void RptReportViewer::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The Preview flow sets the caption just before showing: that is when the
    // report is first wanted on screen.
    if (event->type() == QEvent::WindowTitleChange && ReportName && !isLoaded())
        load();
}

void RptReportViewer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    CRViewer91->move(0, 0);
    CRViewer91->resize(width(), height());
}

void RptReportViewer::RemoveObjectColors()
{
    if (ReportName)
        ReportName->RemoveObjectColors();
}

void RptReportViewer::onPrintButtonClicked(bool *useDefault)
{
    Q_UNUSED(useDefault);   // left as it came: the view prints as usual
    try {
        RemoveObjectColors();
    } catch (...) {
        ShowError();
    }
}

} // namespace orvane
