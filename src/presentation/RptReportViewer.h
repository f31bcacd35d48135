#pragma once

#include <QWidget>

#include <memory>

namespace orvane {

class Report;
class ReportView;

/// The window that previews one prepared report. The report window that made
/// it sets ReportName before the window is first shown (or its caption first
/// set); the load step then hands the report to the view, lays out page 1 and
/// zooms to page width. Closing the window (Escape, Ctrl+W) deletes it and
/// its report. It opens on the screen of the active window, cascaded from the
/// windows opened before it (WindowPlacement). A link of the report opens
/// the report that details it in a new viewer (DrillThrough).
class RptReportViewer : public QWidget
{
    Q_OBJECT
public:
    explicit RptReportViewer(QWidget *parent = nullptr);
    ~RptReportViewer() override;

    /// The report shown (and printed by the Print flow). Empty when created.
    std::unique_ptr<Report> ReportName;

    /// Strips the background colour of text and field objects (BackColor -1)
    /// and gives boxes a white fill (FillColor 16777215), leaving every object
    /// whose name begins with NO (any case) and every other kind as it is.
    /// Works on ReportName alone; the window need not have been shown.
    void RemoveObjectColors();

    /// The view control, objectName "CRViewer91"; fills the client area.
    ReportView *CRViewer91 = nullptr;

    /// Whether the load step has run for the current ReportName.
    bool isLoaded() const;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void load();
    void onPrintButtonClicked(bool *useDefault);

    const Report *m_loadedReport = nullptr;
};

} // namespace orvane
