#pragma once

#include <QWidget>

#include "Document.h"

#include <memory>

class QLabel;
class QLineEdit;
class QToolBar;
class QAction;
class QComboBox;

namespace orvane {

class Document;
enum class ExportFormat;
class OutlinePane;
class PageCanvas;
class PaginationJob;
class Report;

/// Shows a report page by page: a toolbar (first/previous/next/last page, the
/// page box "N of M", zoom, print, export, search, stop) over the pages,
/// painted by the engine's page painter. Pagination runs in the background;
/// page 1 shows as soon as it is laid out. Page numbers in the API start at 0.
///
/// Beside the pages, for a report with groups, an outline pane lists the
/// groups (a register's documents); it fills as the pages are laid out. Fields
/// that the layout makes links lead elsewhere: under the mouse they underline
/// and the pointer becomes a hand; a click, or Enter on the link Tab reached,
/// raises linkActivated.
///
/// Keys: Page Up/Down, Home/End (Ctrl too) page; Ctrl+Plus/Minus zoom and
/// Ctrl+0 shows 100 %; Ctrl+F goes to the search box, Enter and F3 find the
/// next hit; Ctrl+P prints; Ctrl+E exports; F9 shows or hides the outline;
/// on the pages, Tab and Shift+Tab go through the page's links, Enter follows one.
class ReportView : public QWidget
{
    Q_OBJECT
public:
    /// Zoom levels as the report windows pass them; other values are percents.
    enum ZoomLevel : qint16 { PageWidth = 1, WholePage = 2 };
    static constexpr int MinZoomPercent = 25;
    static constexpr int MaxZoomPercent = 400;

    explicit ReportView(QWidget *parent = nullptr);
    ~ReportView() override;

    /// The report shown; not owned. Setting it clears the pages until viewReport().
    void setReportSource(Report *report);
    Report *reportSource() const;

    /// Lays the report out (in the background) and shows page 1 as soon as it
    /// is ready. Throws Error when the report cannot be laid out.
    void viewReport();

    /// 1 = page width, 2 = whole page, 25..400 = percent (clamped).
    void setZoom(qint16 level);
    qint16 zoom() const;
    /// The scale in effect: 1.0 shows the page at actual size.
    double zoomFactor() const;

    int pageCount() const;          // pages laid out so far
    bool isPaginating() const;      // page count not final yet
    int currentPage() const;        // 0-based
    void showPage(int page);        // clamped
    void showFirstPage();
    void showPreviousPage();
    void showNextPage();
    void showLastPage();
    /// Cancels a running pagination; the pages so far stay.
    void stop();

    /// The text of the page box's label, e.g. "1 of 12", "1 of 40…".
    QString pageStatusText() const;

    /// The document on screen (null before the first page is ready).
    const Document *document() const;

    /// Finds `text` (case-insensitive) from the page after the current hit on,
    /// wrapping round; shows and highlights the hit. False when none. An empty
    /// `text` ends the search and takes its highlights away.
    bool findNext(const QString &text);
    /// What the toolbar says of the search: "3 of 12" (the hit shown, counted
    /// from 1, of all hits; "…" follows while pages are still being counted),
    /// "No matches", or "" when there is no search.
    QString searchStatusText() const;
    /// Hits of the last search on `page`, in page millimetres.
    QList<QRectF> searchHits(int page) const;

    /// Writes the report to `fileName`, the kind taken from its suffix (.pdf,
    /// .csv, .xlsx for the rows). Returns false when cancelled; throws Error on failure.
    bool exportTo(const QString &fileName);
    /// Writes the report to `fileName` in `format`; the finished layout on
    /// screen is what the PDF and the as-printed workbook show.
    bool exportTo(const QString &fileName, ExportFormat format);

    /// The file name Export offers for `report`: its document title (else its
    /// title, else "Report") and date range, e.g.
    /// "Purchase Summary 2024-04-01 to 2025-03-31.pdf", with the characters
    /// that file systems refuse replaced by "-". The dialog opens in the folder
    /// last exported to while the host runs, at first the documents folder.
    static QString suggestedFileName(const Report &report);

    /// Asks printButtonClicked first; prints through the report's PrintOut
    /// with the print dialog unless a handler cleared the flag.
    void print();

    /// The outline pane, objectName "outlinePane".
    OutlinePane *outlinePane() const;
    /// Whether the outline pane shows: at first, when the report has groups.
    bool isOutlineVisible() const;
    void setOutlineVisible(bool visible);
    /// Shows the page of outline entry `row` (0-based) with its group header at
    /// the top of the view; an entry whose page is still being laid out is
    /// shown once it is.
    void showOutlineEntry(int row);

    /// The link that Tab reached on the current page (invalid when none).
    PlacedObject focusedLink() const;
    /// Where the text of `link` on page `page` (0-based) stands: its box in
    /// pixels of the viewport the pages are drawn in (the viewport of the
    /// focus proxy), empty when it is not on screen.
    QRect linkRect(int page, const PlacedObject &link) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    /// Raised before printing; a handler may set *useDefault to false to
    /// print itself (or not at all).
    void printButtonClicked(bool *useDefault);
    void pageChanged(int page);
    void paginationFinished();
    /// A page was painted on screen (0-based); for benchmarks and tests.
    void pagePainted(int page);
    /// The user followed a link: the layout's target name and the value it carries.
    void linkActivated(const QString &target, const QString &value);

private:
    struct Private;
    std::unique_ptr<Private> d;
    friend class PageCanvas;
};

} // namespace orvane
