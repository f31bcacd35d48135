#pragma once

// Private parts of ReportView: the scrolling page area and the view's state.

#include "ReportView.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QTimer>

#include "Document.h"
#include "PagePainter.h"
#include "PaginationJob.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSplitter;
class QToolBar;

namespace orvane {

class OutlinePane;

/// The pages, stacked top to bottom with a gap, painted from images cached
/// per zoom at the screen's device pixel ratio.
class PageCanvas : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit PageCanvas(ReportView *view);

    /// Page size at the current zoom, in logical pixels.
    QSize pageSize() const;
    double scale() const;                 // logical pixels per page pixel at 96 dpi
    int pageTop(int page) const;          // content y of a page's top
    int pageAt(int contentY) const;       // page under a content y
    void documentChanged();               // new document: drop images, relayout
    void zoomChanged();
    void scrollToPage(int page);
    void ensureVisible(int page, const QRectF &mmRect);
    void clearImages();
    /// The page under a point of the viewport and the point in its mm; false off the pages.
    bool pageAtPoint(const QPoint &viewportPoint, int *page, QPointF *mm) const;
    /// A rectangle of page mm in viewport pixels.
    QRect toViewport(int page, const QRectF &mmRect) const;
    /// The page and mm at the top of the view.
    void viewTop(int *page, double *mm) const;

    static constexpr int Gap = 12;        // pixels between pages and round them

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void updateScrollBars();
    const QImage &pageImage(int page);
    QPointF pagePixelsPerMm() const;
    int pageLeft() const;                 // viewport x of the pages' left edge
    void paintLink(QPainter &p, int page, const PlacedObject &link, bool focused);
    void setHovered(int page, const PlacedObject &link);

    PlacedObject m_pressed;               // the link under the mouse when its button went down

    ReportView *m_view;
    QCache<int, QImage> m_images;         // cost in KiB
    qreal m_imageRatio = 1;               // device pixel ratio the images were made for
};

struct ReportView::Private
{
    ReportView *q = nullptr;
    Report *report = nullptr;
    std::unique_ptr<PaginationJob> job;
    std::shared_ptr<Document> document;   // on screen; null before page 1
    std::unique_ptr<PagePainter> painter; // one per document, so shaped text is reused
    int expectedPages = 0;                // pages counted by the running job
    bool paginating = false;
    qint16 zoom = PageWidth;
    int currentPage = 0;

    // The outline pane, in a splitter beside the pages.
    QSplitter *splitter = nullptr;
    OutlinePane *outline = nullptr;
    QAction *outlineAction = nullptr;
    int pendingOutlineRow = -1;           // asked for before its page was laid out
    int screenRow = -1;                   // the entry of the group at the top of the view

    // Links: those of one page, the one Tab reached there and the one under the mouse.
    int linkPage = -1;
    std::vector<PlacedObject> links;      // of linkPage, in reading order
    int focusedLink = -1;                 // index into links, -1 for none
    int hoveredPage = -1;
    PlacedObject hovered;

    QString searchText;
    int hitPage = -1;
    int hitIndex = -1;
    QHash<int, QList<QRectF>> hitCache;   // page -> hits in page mm, for searchText
    // Hits are counted page by page between events, so that a search in a
    // long report never freezes the window: pages [0, countedPages) are done.
    QTimer countTimer;
    int countedPages = 0;
    int countedHits = 0;

    PageCanvas *canvas = nullptr;
    QToolBar *toolBar = nullptr;
    QLineEdit *pageBox = nullptr;
    QLabel *pageLabel = nullptr;
    QComboBox *zoomBox = nullptr;
    QLineEdit *searchBox = nullptr;
    QLabel *searchCount = nullptr;
    QAction *firstAction = nullptr;
    QAction *previousAction = nullptr;
    QAction *nextAction = nullptr;
    QAction *lastAction = nullptr;
    QAction *stopAction = nullptr;
    QAction *printAction = nullptr;
    QAction *exportAction = nullptr;

    // The parts of the view, built once by its constructor.
    void addFileActions();
    void addPageControls();
    void addZoomBox();
    void addSearchBox();
    void addShortcuts();
    void addOutline();

    void takeOutline();
    void updateOutlineRow();
    const std::vector<PlacedObject> &linksOn(int page);
    void clearLinks();
    void followLink(int page, const PlacedObject &link);

    void setDocument(Document doc);
    void updateControls();
    QList<QRectF> hitsOn(int page);
    void zoomBy(int steps);
    int effectivePercent() const;
    void exportWithDialog();
    void clearSearch();
    void restartCount();
    void countSome();
    void updateSearchCount();
    void fitPageLabel();
};

} // namespace orvane
