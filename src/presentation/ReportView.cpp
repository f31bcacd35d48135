#include "ReportView.h"
#include "ReportView_p.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProgressDialog>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "Error.h"
#include "OutlineModel.h"
#include "OutlinePane.h"
#include "Report.h"
#include "ReportExport.h"
#include "SearchMiss.h"
#include "ShowError.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

constexpr double kScreenDpi = 96.0;   // a page at 100% is its size in mm at this resolution
const int kZoomSteps[] = {25, 50, 75, 100, 125, 150, 200, 300, 400};

double mmToPixels(double mm) { return mm / 25.4 * kScreenDpi; }

/// The folder the last export went to, for as long as the host runs; the
/// component keeps no settings, so a new run starts in the documents folder.
QString &lastExportFolder()
{
    static QString folder;
    return folder;
}

QString exportFolder()
{
    if (!lastExportFolder().isEmpty() && QFileInfo(lastExportFolder()).isDir())
        return lastExportFolder();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

/// The toolbar's icons, made once and kept as long as the application. An icon
/// made per view puts its pixmaps in the application's pixmap cache under keys
/// of its own, so every preview opened left them there until the cache was full.
class ToolbarIcons : public QObject
{
public:
    static QIcon get(const QStyle *style, QStyle::StandardPixmap which)
    {
        static QPointer<ToolbarIcons> icons;
        if (!icons)
            icons = new ToolbarIcons(QCoreApplication::instance());
        auto it = icons->m_icons.find(which);
        if (it == icons->m_icons.end())
            it = icons->m_icons.insert(which, style->standardIcon(which));
        return it.value();
    }

private:
    explicit ToolbarIcons(QObject *parent) : QObject(parent) {}
    QHash<int, QIcon> m_icons;
};

} // namespace

// --- PageCanvas ------------------------------------------------------------------

PageCanvas::PageCanvas(ReportView *view)
    : QAbstractScrollArea(view), m_view(view)
{
    m_images.setMaxCost(256 * 1024);   // 256 MiB of page images at most
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);   // links underline under the mouse
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
}

double PageCanvas::scale() const
{
    const Document *doc = m_view->document();
    if (!doc)
        return 1.0;
    const QSizeF mm = doc->layout().pageSizeMm();
    const double w = mmToPixels(mm.width());
    const double h = mmToPixels(mm.height());
    const double availW = std::max(50, viewport()->width() - 2 * Gap);
    const double availH = std::max(50, viewport()->height() - 2 * Gap);
    switch (m_view->d->zoom) {
    case ReportView::PageWidth:
        return availW / w;
    case ReportView::WholePage:
        return std::min(availW / w, availH / h);
    default:
        return m_view->d->zoom / 100.0;
    }
}

QSize PageCanvas::pageSize() const
{
    const Document *doc = m_view->document();
    if (!doc)
        return QSize();
    const QSizeF mm = doc->layout().pageSizeMm();
    const double s = scale();
    return QSize(qRound(mmToPixels(mm.width()) * s), qRound(mmToPixels(mm.height()) * s));
}

QPointF PageCanvas::pagePixelsPerMm() const
{
    const double perMm = mmToPixels(1.0) * scale();
    return QPointF(perMm, perMm);
}

int PageCanvas::pageTop(int page) const
{
    return Gap + page * (pageSize().height() + Gap);
}

int PageCanvas::pageAt(int contentY) const
{
    const int pitch = pageSize().height() + Gap;
    if (pitch <= 0)
        return 0;
    return std::clamp((contentY - Gap / 2) / pitch, 0, std::max(0, m_view->pageCount() - 1));
}

void PageCanvas::clearImages()
{
    m_images.clear();
}

void PageCanvas::documentChanged()
{
    clearImages();
    updateScrollBars();
    viewport()->update();
}

void PageCanvas::zoomChanged()
{
    // The current page stays the current page across the zoom.
    const int page = m_view->currentPage();
    clearImages();
    updateScrollBars();
    scrollToPage(page);
    viewport()->update();
}

void PageCanvas::scrollToPage(int page)
{
    verticalScrollBar()->setValue(pageTop(page) - Gap);
}

void PageCanvas::ensureVisible(int page, const QRectF &mmRect)
{
    const QPointF perMm = pagePixelsPerMm();
    const int top = pageTop(page) + int(mmRect.top() * perMm.y());
    const int bottom = pageTop(page) + int(mmRect.bottom() * perMm.y());
    QScrollBar *v = verticalScrollBar();
    if (top < v->value() || bottom > v->value() + viewport()->height())
        v->setValue(top - viewport()->height() / 3);
    const int pageLeft = std::max(Gap, (viewport()->width() - pageSize().width()) / 2);
    const int left = pageLeft + int(mmRect.left() * perMm.x());
    QScrollBar *h = horizontalScrollBar();
    if (left < h->value() || left > h->value() + viewport()->width() - 20)
        h->setValue(left - Gap);
}

void PageCanvas::updateScrollBars()
{
    const QSize page = pageSize();
    const int pages = m_view->pageCount();
    const int contentH = pages > 0 ? Gap + pages * (page.height() + Gap) : 0;
    const int contentW = page.width() + 2 * Gap;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, contentH - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, contentW - viewport()->width()));
}

void PageCanvas::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_view->d->zoom == ReportView::PageWidth || m_view->d->zoom == ReportView::WholePage) {
        const int page = m_view->currentPage();
        clearImages();
        updateScrollBars();
        scrollToPage(page);
    } else {
        updateScrollBars();
    }
}

void PageCanvas::scrollContentsBy(int dx, int dy)
{
    Q_UNUSED(dx);
    Q_UNUSED(dy);
    viewport()->update();
    if (m_view->pageCount() > 0) {
        const int page = pageAt(verticalScrollBar()->value() + viewport()->height() / 3);
        if (page != m_view->d->currentPage) {
            m_view->d->currentPage = page;
            m_view->d->updateControls();
            emit m_view->pageChanged(page);
        }
    }
    m_view->d->updateOutlineRow();
    // What is under the mouse has moved.
    if (m_view->d->document && viewport()->underMouse()) {
        int page = -1;
        QPointF mm;
        const bool onPage = pageAtPoint(viewport()->mapFromGlobal(QCursor::pos()), &page, &mm);
        const PlacedObject hit = onPage ? objectAt(*m_view->d->document, page, mm) : PlacedObject();
        setHovered(page, linkOf(*m_view->d->document, hit) ? hit : PlacedObject());
    }
}

int PageCanvas::pageLeft() const
{
    return std::max(Gap, (viewport()->width() - pageSize().width()) / 2) - horizontalScrollBar()->value();
}

bool PageCanvas::pageAtPoint(const QPoint &viewportPoint, int *page, QPointF *mm) const
{
    if (m_view->pageCount() == 0)
        return false;
    const QSize size = pageSize();
    const int pitch = size.height() + Gap;
    const int contentY = verticalScrollBar()->value() + viewportPoint.y();
    if (pitch <= 0 || contentY < Gap)
        return false;
    const int p = (contentY - Gap) / pitch;
    const int y = contentY - pageTop(p);
    const int x = viewportPoint.x() - pageLeft();
    if (p >= m_view->pageCount() || y >= size.height() || x < 0 || x >= size.width())
        return false;
    const QPointF perMm = pagePixelsPerMm();
    *page = p;
    *mm = QPointF(x / perMm.x(), y / perMm.y());
    return true;
}

QRect PageCanvas::toViewport(int page, const QRectF &mmRect) const
{
    const QPointF perMm = pagePixelsPerMm();
    const QPointF topLeft(pageLeft() + mmRect.left() * perMm.x(),
                          pageTop(page) - verticalScrollBar()->value() + mmRect.top() * perMm.y());
    return QRectF(topLeft, QSizeF(mmRect.width() * perMm.x(), mmRect.height() * perMm.y())).toAlignedRect();
}

void PageCanvas::viewTop(int *page, double *mm) const
{
    const int pitch = pageSize().height() + Gap;
    const int contentY = verticalScrollBar()->value();
    *page = pitch > 0 ? std::clamp((contentY - Gap) / pitch, 0, std::max(0, m_view->pageCount() - 1)) : 0;
    *mm = std::max(0, contentY - pageTop(*page)) / pagePixelsPerMm().y();
}

void PageCanvas::setHovered(int page, const PlacedObject &link)
{
    ReportView::Private &d = *m_view->d;
    if (link == d.hovered && (page == d.hoveredPage || !link.isValid()))
        return;
    d.hovered = link;
    d.hoveredPage = link.isValid() ? page : -1;
    if (link.isValid())
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
    viewport()->update();
}

void PageCanvas::mouseMoveEvent(QMouseEvent *event)
{
    QAbstractScrollArea::mouseMoveEvent(event);
    if (!m_view->d->document)
        return;
    int page = -1;
    QPointF mm;
    PlacedObject hit;
    if (pageAtPoint(event->position().toPoint(), &page, &mm))
        hit = objectAt(*m_view->d->document, page, mm);
    setHovered(page, linkOf(*m_view->d->document, hit) ? hit : PlacedObject());
}

void PageCanvas::mousePressEvent(QMouseEvent *event)
{
    QAbstractScrollArea::mousePressEvent(event);
    m_pressed = event->button() == Qt::LeftButton ? m_view->d->hovered : PlacedObject();
}

void PageCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    QAbstractScrollArea::mouseReleaseEvent(event);
    const PlacedObject pressed = m_pressed;
    m_pressed = PlacedObject();
    // A link is followed when the button goes up over the link it went down on.
    if (event->button() == Qt::LeftButton && pressed.isValid() && pressed == m_view->d->hovered)
        m_view->d->followLink(m_view->d->hoveredPage, pressed);
}

void PageCanvas::leaveEvent(QEvent *event)
{
    QAbstractScrollArea::leaveEvent(event);
    setHovered(-1, PlacedObject());
}

bool PageCanvas::focusNextPrevChild(bool next)
{
    // Tab walks the links of the page on screen before it leaves the pages.
    ReportView::Private &d = *m_view->d;
    const std::vector<PlacedObject> &links = d.linksOn(d.currentPage);
    const int count = int(links.size());
    int index = d.focusedLink < 0 ? (next ? 0 : count - 1) : d.focusedLink + (next ? 1 : -1);
    if (!hasFocus() || count == 0 || index < 0 || index >= count) {
        d.focusedLink = -1;
        viewport()->update();
        return QAbstractScrollArea::focusNextPrevChild(next);
    }
    d.focusedLink = index;
    const Placement &p = d.document->placements[size_t(links[size_t(index)].placement)];
    ensureVisible(d.currentPage, objectRectMm(*d.document, p, links[size_t(index)].object));
    viewport()->update();
    return true;
}

void PageCanvas::keyPressEvent(QKeyEvent *event)
{
    ReportView::Private &d = *m_view->d;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && d.focusedLink >= 0
        && d.linkPage == d.currentPage) {
        d.followLink(d.linkPage, d.links[size_t(d.focusedLink)]);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void PageCanvas::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();   // the focused link's frame goes
}

void PageCanvas::paintLink(QPainter &p, int page, const PlacedObject &link, bool focused)
{
    QRectF text = m_view->d->painter->textBoundsMm(page, link);
    if (text.isEmpty())
        return;
    const QRect r = toViewport(page, text);
    const QColor ink(0, 84, 190);
    p.setPen(QPen(ink, std::max(1.0, scale())));
    p.drawLine(QPointF(r.left(), r.bottom() + 1), QPointF(r.right(), r.bottom() + 1));
    if (focused) {
        p.setPen(QPen(ink, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(-2, -1, 2, 2));
    }
}

void PageCanvas::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const int delta = event->angleDelta().y();
        if (delta != 0)
            m_view->d->zoomBy(delta > 0 ? 1 : -1);
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

const QImage &PageCanvas::pageImage(int page)
{
    const qreal ratio = devicePixelRatioF();
    if (!qFuzzyCompare(ratio, m_imageRatio)) {
        m_images.clear();
        m_imageRatio = ratio;
    }
    if (QImage *cached = m_images.object(page))
        return *cached;

    const QSize logical = pageSize();
    auto *image = new QImage(QSize(qCeil(logical.width() * ratio), qCeil(logical.height() * ratio)),
                             QImage::Format_RGB32);
    const int dpm = qRound(kScreenDpi / 0.0254);
    image->setDotsPerMeterX(dpm);
    image->setDotsPerMeterY(dpm);
    image->fill(Qt::white);
    {
        QPainter p(image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        m_view->d->painter->paint(p, page, scale() * ratio);
    }
    image->setDevicePixelRatio(ratio);
    const int cost = std::max<qsizetype>(1, image->sizeInBytes() / 1024);
    const QImage *result = image;
    m_images.insert(page, image, cost);
    return *result;
}

void PageCanvas::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), QColor(0x80, 0x84, 0x8a));
    const int pages = m_view->pageCount();
    if (pages == 0 || !m_view->d->painter)
        return;

    const QSize size = pageSize();
    const int x = std::max(Gap, (viewport()->width() - size.width()) / 2) - horizontalScrollBar()->value();
    const int top = verticalScrollBar()->value();
    const int first = pageAt(top);
    const QPointF perMm = pagePixelsPerMm();
    for (int page = first; page < pages; ++page) {
        const int y = pageTop(page) - top;
        if (y > viewport()->height())
            break;
        const QRect target(QPoint(x, y), size);
        p.fillRect(target.translated(3, 3), QColor(0, 0, 0, 70));   // drop shadow
        p.drawImage(target.topLeft(), pageImage(page));
        emit m_view->pagePainted(page);
        for (const QRectF &hit : m_view->d->hitsOn(page)) {
            const QRectF r(x + hit.left() * perMm.x(), y + hit.top() * perMm.y(),
                           hit.width() * perMm.x(), hit.height() * perMm.y());
            const bool current = page == m_view->d->hitPage
                && m_view->d->hitsOn(page).indexOf(hit) == m_view->d->hitIndex;
            p.fillRect(r, current ? QColor(255, 140, 0, 110) : QColor(255, 230, 0, 90));
            if (current)
                p.setPen(QPen(QColor(230, 100, 0), 1.5));
            else
                p.setPen(Qt::NoPen);
            p.drawRect(r);
        }
        const ReportView::Private &d = *m_view->d;
        if (page == d.hoveredPage && d.hovered.isValid())
            paintLink(p, page, d.hovered, false);
        if (page == d.linkPage && d.focusedLink >= 0 && hasFocus())
            paintLink(p, page, d.links[size_t(d.focusedLink)], true);
    }
}

// --- ReportView::Private ---------------------------------------------------------

void ReportView::Private::setDocument(Document doc)
{
    document = std::make_shared<Document>(std::move(doc));
    painter = std::make_unique<PagePainter>(*document);
    hitCache.clear();
    clearLinks();
    currentPage = std::clamp(currentPage, 0, std::max(0, document->pageCount() - 1));
    canvas->documentChanged();
    updateControls();
    if (!searchText.isEmpty())
        restartCount();
    const int pending = pendingOutlineRow;
    pendingOutlineRow = -1;
    if (pending >= 0)
        q->showOutlineEntry(pending);
    else
        updateOutlineRow();
}

void ReportView::Private::takeOutline()
{
    if (job)
        outline->model()->takeFrom(*job);
    updateOutlineRow();
}

void ReportView::Private::updateOutlineRow()
{
    if (!outline->isVisible() || !document || outline->model()->rowCount() == 0)
        return;
    int page = 0;
    double mm = 0;
    canvas->viewTop(&page, &mm);
    // The last pages cannot scroll to the top of the view: the page shown wins.
    const QScrollBar *bar = canvas->verticalScrollBar();
    if (currentPage > page && bar->value() == bar->maximum()) {
        page = currentPage;
        mm = 0;
    }
    // Read from the top of the view, but not above the page's first band
    // under its headings: a page that opens with a group shows that group.
    double y = mm - document->layout().margins.top();
    const PageEntry &entry = document->pages[size_t(page)];
    for (qint32 i = entry.first; i < entry.first + entry.count; ++i) {
        const Placement &p = document->placements[size_t(i)];
        const SectionKind kind = document->layout().sections[p.section].kind;
        if (kind != SectionKind::ReportHeader && kind != SectionKind::PageHeader) {
            y = std::max(y, double(p.y));
            break;
        }
    }
    // A header within a millimetre of the top is the group on top. The
    // highlight moves only when that group changes, so that an entry the user
    // found stays highlighted until the view moves on.
    const int row = outline->model()->rowAt(page, y + 1.0);
    if (row != screenRow) {
        screenRow = row;
        outline->setCurrentRow(row);
    }
}

const std::vector<PlacedObject> &ReportView::Private::linksOn(int page)
{
    if (page != linkPage) {
        linkPage = page;
        focusedLink = -1;
        links = document ? pageLinks(*document, page) : std::vector<PlacedObject>();
    }
    return links;
}

void ReportView::Private::clearLinks()
{
    linkPage = -1;
    links.clear();
    focusedLink = -1;
    hovered = PlacedObject();
    hoveredPage = -1;
    canvas->viewport()->unsetCursor();
}

void ReportView::Private::followLink(int page, const PlacedObject &link)
{
    if (!document || page < 0 || page >= document->pageCount())
        return;
    if (const std::optional<ReportLink> target = linkOf(*document, link))
        emit q->linkActivated(target->target, target->value);
}

void ReportView::Private::clearSearch()
{
    searchText.clear();
    hitCache.clear();
    hitPage = -1;
    hitIndex = -1;
    countTimer.stop();
    countedPages = 0;
    countedHits = 0;
    setSearchMiss(searchBox, false);
    updateSearchCount();
    canvas->viewport()->update();
}

void ReportView::Private::restartCount()
{
    countedPages = 0;
    countedHits = 0;
    countTimer.stop();
    countSome();
}

void ReportView::Private::countSome()
{
    QElapsedTimer slice;
    slice.start();
    const int pages = q->pageCount();
    while (countedPages < pages && slice.elapsed() < 30)
        countedHits += int(hitsOn(countedPages++).size());
    if (countedPages < pages)
        countTimer.start(0);
    else
        countTimer.stop();
    updateSearchCount();
}

void ReportView::Private::updateSearchCount()
{
    QString text;
    if (!searchText.isEmpty() && document) {
        const bool final = countedPages >= q->pageCount() && !paginating;
        const QString more = final ? QString() : QStringLiteral("…");
        if (hitPage >= 0 && countedPages > hitPage) {
            int ordinal = hitIndex + 1;
            for (int page = 0; page < hitPage; ++page)
                ordinal += int(hitsOn(page).size());
            text = QStringLiteral("%1 of %2%3").arg(ordinal).arg(countedHits).arg(more);
        } else if (hitPage >= 0) {
            text = QStringLiteral("of %1%2").arg(countedHits).arg(more);
        } else if (final && countedHits == 0) {
            text = QStringLiteral("No matches");
        }
    }
    searchCount->setText(text);
}

void ReportView::Private::updateControls()
{
    const int pages = q->pageCount();
    const bool any = pages > 0;
    firstAction->setEnabled(any && currentPage > 0);
    previousAction->setEnabled(any && currentPage > 0);
    nextAction->setEnabled(any && currentPage < pages - 1);
    lastAction->setEnabled(any && currentPage < pages - 1);
    stopAction->setVisible(paginating);
    stopAction->setEnabled(paginating);
    printAction->setEnabled(report != nullptr);   // printing lays the report out afresh
    exportAction->setEnabled(report != nullptr);
    if (!pageBox->hasFocus())
        pageBox->setText(any ? QString::number(currentPage + 1) : QString());
    pageLabel->setText(paginating ? QStringLiteral("of %1…").arg(std::max(expectedPages, pages))
                                  : QStringLiteral("of %1").arg(pages));
    fitPageLabel();
    updateOutlineRow();
}

void ReportView::Private::fitPageLabel()
{
    // The count grows while pages are laid out: the label is made wide enough
    // for the whole text at once, and never narrower, so that the toolbar
    // neither cuts it off nor jumps with every page.
    const QFontMetrics metrics = pageLabel->fontMetrics();
    const QMargins margins = pageLabel->contentsMargins();
    const int wanted = std::max(metrics.horizontalAdvance(pageLabel->text()),
                                metrics.horizontalAdvance(QStringLiteral("of 88888…")))
                       + margins.left() + margins.right() + 2;
    if (wanted > pageLabel->minimumWidth())
        pageLabel->setMinimumWidth(wanted);
}

QList<QRectF> ReportView::Private::hitsOn(int page)
{
    if (searchText.isEmpty() || !document || page < 0 || page >= document->pageCount())
        return {};
    auto it = hitCache.constFind(page);
    if (it != hitCache.constEnd())
        return *it;

    QList<QRectF> hits;
    const Document &doc = *document;
    const Layout &layout = doc.layout();
    const QRectF body = layout.bodyRectMm();
    const PageEntry &entry = doc.pages[size_t(page)];
    for (int i = entry.first; i < entry.first + entry.count; ++i) {
        const Placement &placement = doc.placements[size_t(i)];
        const Section &section = layout.sections[placement.section];
        for (int o = 0; o < int(section.objects.size()); ++o) {
            const LayoutObject &object = section.objects[size_t(o)];
            if (object.kind == ObjectKind::Box || object.kind == ObjectKind::Line
                || object.kind == ObjectKind::Picture)
                continue;
            const QString text = objectText(doc, page, placement, o);
            if (!text.contains(searchText, Qt::CaseInsensitive))
                continue;
            QRectF hit = object.rect.translated(body.left(), body.top() + placement.y);
            if (object.canGrow)   // a wrapped name: all its lines
                hit.setHeight(hit.height() + placement.grow * kGrowStepMm);
            hits << hit;
        }
    }
    hitCache.insert(page, hits);
    return hits;
}

int ReportView::Private::effectivePercent() const
{
    return qRound(canvas->scale() * 100.0);
}

void ReportView::Private::zoomBy(int steps)
{
    const int now = effectivePercent();
    int next = now;
    if (steps > 0) {
        next = MaxZoomPercent;
        for (int s : kZoomSteps) {
            if (s > now) {
                next = s;
                break;
            }
        }
    } else {
        next = MinZoomPercent;
        for (int s : kZoomSteps) {
            if (s < now)
                next = s;
        }
    }
    q->setZoom(qint16(next));
}

void ReportView::Private::exportWithDialog()
{
    try {
        if (!report)
            return;
        QString selected;
        const QString fileName = QFileDialog::getSaveFileName(
            q, QStringLiteral("Export Report"),
            QDir(exportFolder()).filePath(ReportView::suggestedFileName(*report)),
            QStringLiteral("PDF document (*.pdf);;CSV, comma separated (*.csv);;Excel workbook (*.xlsx);;"
                           "Excel, as printed (*.xlsx)"),
            &selected);
        if (fileName.isEmpty())
            return;
        lastExportFolder() = QFileInfo(fileName).absolutePath();
        QString file = fileName;
        const bool asPrinted = selected.startsWith(QLatin1String("Excel, as printed"));
        if (QFileInfo(file).suffix().isEmpty()) {
            if (selected.contains(QLatin1String("*.csv")))
                file += QStringLiteral(".csv");
            else if (selected.contains(QLatin1String("*.xlsx")))
                file += QStringLiteral(".xlsx");
            else
                file += QStringLiteral(".pdf");
        }
        // The suffix names the kind; the filter tells the two workbooks apart.
        const std::optional<ExportFormat> format = exportFormatFromFileName(file);
        if (format == ExportFormat::Xlsx && asPrinted)
            q->exportTo(file, ExportFormat::XlsxReport);
        else
            q->exportTo(file);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        ShowError();
    }
}

// --- ReportView ------------------------------------------------------------------

void ReportView::Private::addFileActions()
{
    QStyle *s = q->style();
    printAction = toolBar->addAction(QIcon::fromTheme(QStringLiteral("document-print")), QStringLiteral("Print"), q,
                                     &ReportView::print);
    printAction->setToolTip(QStringLiteral("Print (Ctrl+P)"));
    printAction->setShortcut(QKeySequence::Print);
    printAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    q->addAction(printAction);

    exportAction = new QAction(QIcon::fromTheme(QStringLiteral("document-save-as"),
                                                ToolbarIcons::get(s, QStyle::SP_DialogSaveButton)),
                               QStringLiteral("Export…"), q);
    exportAction->setToolTip(QStringLiteral("Export to PDF, CSV or Excel (Ctrl+E)"));
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    exportAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(exportAction, &QAction::triggered, q, [this] { exportWithDialog(); });
    toolBar->addAction(exportAction);
    q->addAction(exportAction);
    toolBar->addSeparator();
}

void ReportView::Private::addPageControls()
{
    QStyle *s = q->style();
    firstAction = toolBar->addAction(ToolbarIcons::get(s, QStyle::SP_MediaSkipBackward), QStringLiteral("First Page"),
                                     q, &ReportView::showFirstPage);
    previousAction = toolBar->addAction(ToolbarIcons::get(s, QStyle::SP_MediaSeekBackward),
                                        QStringLiteral("Previous Page"), q, &ReportView::showPreviousPage);
    pageBox = new QLineEdit(q);
    pageBox->setObjectName(QStringLiteral("pageBox"));
    pageBox->setValidator(new QIntValidator(1, 9999999, pageBox));
    pageBox->setFixedWidth(56);
    pageBox->setAlignment(Qt::AlignRight);
    pageBox->setToolTip(QStringLiteral("Page number; type one and press Enter"));
    toolBar->addWidget(pageBox);
    pageLabel = new QLabel(q);
    pageLabel->setObjectName(QStringLiteral("pageLabel"));
    pageLabel->setContentsMargins(4, 0, 4, 0);
    toolBar->addWidget(pageLabel);
    nextAction = toolBar->addAction(ToolbarIcons::get(s, QStyle::SP_MediaSeekForward), QStringLiteral("Next Page"), q,
                                    &ReportView::showNextPage);
    lastAction = toolBar->addAction(ToolbarIcons::get(s, QStyle::SP_MediaSkipForward), QStringLiteral("Last Page"), q,
                                    &ReportView::showLastPage);
    stopAction = toolBar->addAction(ToolbarIcons::get(s, QStyle::SP_BrowserStop), QStringLiteral("Stop"), q,
                                    &ReportView::stop);
    stopAction->setToolTip(QStringLiteral("Stop laying out pages"));
    toolBar->addSeparator();
    QObject::connect(pageBox, &QLineEdit::returnPressed, q, [this] {
        q->showPage(pageBox->text().toInt() - 1);
        canvas->setFocus();
    });
}

void ReportView::Private::addZoomBox()
{
    zoomBox = new QComboBox(q);
    zoomBox->setObjectName(QStringLiteral("zoomBox"));
    zoomBox->setEditable(true);
    zoomBox->setInsertPolicy(QComboBox::NoInsert);
    zoomBox->addItem(QStringLiteral("Page Width"), int(PageWidth));
    zoomBox->addItem(QStringLiteral("Whole Page"), int(WholePage));
    for (int step : kZoomSteps)
        zoomBox->addItem(QStringLiteral("%1%").arg(step), step);
    zoomBox->setToolTip(QStringLiteral("Zoom (Ctrl+wheel, Ctrl+Plus, Ctrl+Minus; Ctrl+0: 100%)"));
    toolBar->addWidget(zoomBox);
    QObject::connect(zoomBox, &QComboBox::activated, q,
                     [this](int index) { q->setZoom(qint16(zoomBox->itemData(index).toInt())); });
    QObject::connect(zoomBox->lineEdit(), &QLineEdit::editingFinished, q, [this] {
        QString text = zoomBox->currentText().trimmed();
        const int index = zoomBox->findText(text, Qt::MatchFixedString);
        if (index >= 0) {
            q->setZoom(qint16(zoomBox->itemData(index).toInt()));
            return;
        }
        text.remove(QLatin1Char('%'));
        bool ok = false;
        const int percent = text.toInt(&ok);
        if (ok)
            q->setZoom(qint16(std::clamp(percent, int(MinZoomPercent), int(MaxZoomPercent))));
        else
            q->setZoom(zoom);   // puts the current zoom back in the box
    });
    toolBar->addSeparator();
}

void ReportView::Private::addSearchBox()
{
    searchBox = new QLineEdit(q);
    searchBox->setObjectName(QStringLiteral("searchBox"));
    searchBox->setPlaceholderText(QStringLiteral("Find (Ctrl+F)"));
    searchBox->setClearButtonEnabled(true);
    searchBox->setFixedWidth(180);
    toolBar->addWidget(searchBox);
    searchCount = new QLabel(q);
    searchCount->setObjectName(QStringLiteral("searchCount"));
    searchCount->setContentsMargins(6, 0, 4, 0);
    toolBar->addWidget(searchCount);
    QObject::connect(searchBox, &QLineEdit::returnPressed, q, [this] {
        const bool found = q->findNext(searchBox->text());
        setSearchMiss(searchBox, !found && !searchBox->text().isEmpty());
    });
    QObject::connect(searchBox, &QLineEdit::textEdited, q, [this] { setSearchMiss(searchBox, false); });
    // An emptied box (typed away or its clear button) ends the search.
    QObject::connect(searchBox, &QLineEdit::textChanged, q, [this](const QString &text) {
        if (text.isEmpty())
            clearSearch();
    });
    countTimer.setSingleShot(true);
    QObject::connect(&countTimer, &QTimer::timeout, q, [this] { countSome(); });
}

void ReportView::Private::addShortcuts()
{
    auto shortcut = [this](const QKeySequence &keys, auto slot) {
        auto *sc = new QShortcut(keys, q);
        sc->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(sc, &QShortcut::activated, q, slot);
    };
    shortcut(QKeySequence(Qt::Key_PageDown), [this] { q->showNextPage(); });
    shortcut(QKeySequence(Qt::Key_PageUp), [this] { q->showPreviousPage(); });
    shortcut(QKeySequence(Qt::Key_Home), [this] { q->showFirstPage(); });
    shortcut(QKeySequence(Qt::Key_End), [this] { q->showLastPage(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { q->showFirstPage(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_End), [this] { q->showLastPage(); });
    shortcut(QKeySequence::ZoomIn, [this] { zoomBy(1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { zoomBy(1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { q->setZoom(100); });
    shortcut(QKeySequence::ZoomOut, [this] { zoomBy(-1); });
    shortcut(QKeySequence::Find, [this] {
        searchBox->setFocus();
        searchBox->selectAll();
    });
    shortcut(QKeySequence::FindNext, [this] { q->findNext(searchBox->text()); });

    // The view's own keys win over a text box's bindings: on X11 a line edit
    // takes Ctrl+E as "end of line", which would leave Export unreachable from
    // the search box.
    for (QWidget *box : {static_cast<QWidget *>(searchBox), static_cast<QWidget *>(pageBox),
                         static_cast<QWidget *>(zoomBox->lineEdit())})
        box->installEventFilter(q);
}

void ReportView::Private::addOutline()
{
    toolBar->addSeparator();
    outlineAction = toolBar->addAction(ToolbarIcons::get(q->style(), QStyle::SP_FileDialogListView),
                                       QStringLiteral("Outline"));
    outlineAction->setObjectName(QStringLiteral("outlineAction"));
    outlineAction->setCheckable(true);
    outlineAction->setEnabled(false);
    outlineAction->setToolTip(QStringLiteral("Show or hide the outline (F9)"));
    outlineAction->setShortcut(QKeySequence(Qt::Key_F9));
    outlineAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    q->addAction(outlineAction);
    QObject::connect(outlineAction, &QAction::toggled, q, [this](bool on) { q->setOutlineVisible(on); });
}

ReportView::ReportView(QWidget *parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    d->q = this;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    d->toolBar = new QToolBar(this);
    d->toolBar->setIconSize(QSize(16, 16));
    d->toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    d->addFileActions();
    d->addPageControls();
    d->addZoomBox();
    d->addSearchBox();
    d->addOutline();
    // The two actions a user looks for by name carry their text.
    for (QAction *named : {d->printAction, d->exportAction}) {
        if (auto *button = qobject_cast<QToolButton *>(d->toolBar->widgetForAction(named)))
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }

    layout->addWidget(d->toolBar);
    d->splitter = new QSplitter(Qt::Horizontal, this);
    d->splitter->setChildrenCollapsible(false);
    d->outline = new OutlinePane(d->splitter);
    d->outline->hide();
    d->canvas = new PageCanvas(this);
    d->splitter->addWidget(d->outline);
    d->splitter->addWidget(d->canvas);
    d->splitter->setStretchFactor(1, 1);
    d->splitter->setSizes({260, 740});
    layout->addWidget(d->splitter, 1);
    setFocusProxy(d->canvas);
    connect(d->outline, &OutlinePane::entryActivated, this, &ReportView::showOutlineEntry);
    d->outline->findBox()->installEventFilter(this);   // the view's keys win there too (addShortcuts)
    d->addShortcuts();
    d->updateControls();
}

ReportView::~ReportView() = default;

bool ReportView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction *action : actions()) {
            if (action->isEnabled() && action->shortcut() == pressed) {
                event->ignore();   // not taken by the box: the shortcut runs
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ReportView::setReportSource(Report *report)
{
    if (d->job)
        d->job->stop();
    d->job.reset();
    d->report = report;
    d->paginating = false;
    d->painter.reset();
    d->document.reset();
    d->hitCache.clear();
    d->clearLinks();
    d->pendingOutlineRow = -1;
    d->outline->model()->reset(nullptr);
    d->outlineAction->setEnabled(false);
    setOutlineVisible(false);
    d->currentPage = 0;
    d->expectedPages = 0;
    d->canvas->documentChanged();
    d->updateControls();
}

Report *ReportView::reportSource() const
{
    return d->report;
}

void ReportView::viewReport()
{
    if (!d->report)
        return;
    if (d->job)
        d->job->stop();
    std::shared_ptr<const ReportContent> content = d->report->content();
    const bool grouped = !content->layout.groups.empty();
    d->outline->model()->reset(content);
    d->pendingOutlineRow = -1;
    d->screenRow = -1;
    d->outlineAction->setEnabled(grouped);
    setOutlineVisible(grouped);
    d->job = std::make_unique<PaginationJob>(std::move(content));
    PaginationJob *job = d->job.get();
    connect(job, &PaginationJob::firstPageReady, this, [this, job] {
        if (d->job.get() != job)
            return;
        d->setDocument(job->firstPage());
        d->takeOutline();
    });
    connect(job, &PaginationJob::progress, this, [this, job](int pages) {
        if (d->job.get() != job)
            return;
        d->expectedPages = pages;
        d->updateControls();
        d->takeOutline();
    });
    connect(job, &PaginationJob::finished, this, [this, job] {
        if (d->job.get() != job)
            return;
        d->paginating = false;
        d->outline->model()->takeFrom(*job);
        d->setDocument(job->document());
        emit paginationFinished();
    });
    d->paginating = true;
    d->currentPage = 0;
    d->updateControls();
    job->start();
}

void ReportView::setZoom(qint16 level)
{
    if (level != PageWidth && level != WholePage)
        level = qint16(std::clamp(int(level), int(MinZoomPercent), int(MaxZoomPercent)));
    d->zoom = level;
    const int index = d->zoomBox->findData(int(level));
    if (index >= 0)
        d->zoomBox->setCurrentIndex(index);
    else
        d->zoomBox->setEditText(QStringLiteral("%1%").arg(level));
    d->canvas->zoomChanged();
}

qint16 ReportView::zoom() const
{
    return d->zoom;
}

double ReportView::zoomFactor() const
{
    return d->canvas->scale();
}

int ReportView::pageCount() const
{
    return d->document ? d->document->pageCount() : 0;
}

bool ReportView::isPaginating() const
{
    return d->paginating;
}

int ReportView::currentPage() const
{
    return d->currentPage;
}

void ReportView::showPage(int page)
{
    if (pageCount() == 0)
        return;
    page = std::clamp(page, 0, pageCount() - 1);
    d->canvas->scrollToPage(page);
    // Scrolling settles the current page from the view, but the last pages
    // cannot scroll to the top: the page asked for wins.
    if (d->currentPage != page) {
        d->currentPage = page;
        emit pageChanged(page);
    }
    d->updateControls();
}

void ReportView::showFirstPage() { showPage(0); }
void ReportView::showPreviousPage() { showPage(d->currentPage - 1); }
void ReportView::showNextPage() { showPage(d->currentPage + 1); }
void ReportView::showLastPage() { showPage(pageCount() - 1); }

void ReportView::stop()
{
    if (d->job && d->paginating)
        d->job->stop();
}

QString ReportView::pageStatusText() const
{
    const int pages = pageCount();
    if (pages == 0)
        return QString();
    return QStringLiteral("%1 %2").arg(d->currentPage + 1).arg(d->pageLabel->text());
}

const Document *ReportView::document() const
{
    return d->document.get();
}

bool ReportView::findNext(const QString &text)
{
    if (text.isEmpty()) {
        d->clearSearch();
        return false;
    }
    if (text != d->searchText) {
        d->searchText = text;
        d->hitCache.clear();
        d->hitPage = -1;
        d->hitIndex = -1;
        d->restartCount();
    }
    d->canvas->viewport()->update();
    const int pages = pageCount();
    if (pages == 0)
        return false;

    int page = d->hitPage >= 0 ? d->hitPage : d->currentPage;
    int after = d->hitPage >= 0 ? d->hitIndex : -1;
    for (int visited = 0; visited <= pages; ++visited) {
        const QList<QRectF> hits = d->hitsOn(page);
        if (after + 1 < hits.size()) {
            d->hitPage = page;
            d->hitIndex = after + 1;
            d->currentPage = page;
            d->canvas->ensureVisible(page, hits[d->hitIndex]);
            d->currentPage = page;
            d->updateControls();
            d->updateSearchCount();
            emit pageChanged(page);
            d->canvas->viewport()->update();
            return true;
        }
        page = (page + 1) % pages;
        after = -1;
    }
    d->hitPage = -1;
    d->hitIndex = -1;
    d->updateSearchCount();
    return false;
}

QString ReportView::searchStatusText() const
{
    return d->searchCount->text();
}

QString ReportView::suggestedFileName(const Report &report)
{
    QString name = report.documentTitle().simplified();
    if (name.isEmpty())
        name = report.ReportTitle().simplified();
    if (name.isEmpty())
        name = QStringLiteral("Report");
    const QDate from = report.fromDate();
    const QDate to = report.toDate();
    const QString iso = QStringLiteral("yyyy-MM-dd");
    if (from.isValid() && to.isValid() && from != to)
        name += QStringLiteral(" %1 to %2").arg(from.toString(iso), to.toString(iso));
    else if (from.isValid() || to.isValid())
        name += QLatin1Char(' ') + (from.isValid() ? from : to).toString(iso);
    // Characters that some file system refuses in a name.
    for (QChar &c : name) {
        if (c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c))
            c = QLatin1Char('-');
    }
    return name + QStringLiteral(".pdf");
}

QList<QRectF> ReportView::searchHits(int page) const
{
    return d->hitsOn(page);
}

bool ReportView::exportTo(const QString &fileName)
{
    const std::optional<ExportFormat> format = exportFormatFromFileName(fileName);
    if (!format) {
        throw Error(QStringLiteral("\"%1\" is not a kind of file the report can be saved as; "
                                   "choose a name ending in .pdf, .csv or .xlsx.")
                        .arg(QFileInfo(fileName).fileName()),
                    QStringLiteral("Report viewer"));
    }
    return exportTo(fileName, *format);
}

bool ReportView::exportTo(const QString &fileName, ExportFormat format)
{
    if (!d->report)
        throw Error(QStringLiteral("There is no report to export."), QStringLiteral("Report viewer"));

    QProgressDialog progressDialog(QStringLiteral("Exporting %1…").arg(QFileInfo(fileName).fileName()),
                                   QStringLiteral("Cancel"), 0, 100, this);
    progressDialog.setWindowModality(Qt::WindowModal);
    progressDialog.setMinimumDuration(500);
    progressDialog.setAutoClose(false);
    progressDialog.setAutoReset(false);
    const ExportProgress progress = [&progressDialog](int done, int total) {
        progressDialog.setMaximum(std::max(1, total));
        progressDialog.setValue(std::min(done, std::max(1, total)));
        return !progressDialog.wasCanceled();
    };

    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor
    {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;

    const bool laidOut = d->document && d->document->complete && !d->paginating;
    return exportReport(*d->report, format, fileName, progress, laidOut ? d->document.get() : nullptr);
}

OutlinePane *ReportView::outlinePane() const
{
    return d->outline;
}

bool ReportView::isOutlineVisible() const
{
    return !d->outline->isHidden();
}

void ReportView::setOutlineVisible(bool visible)
{
    visible = visible && d->outlineAction->isEnabled();
    if (!visible && d->outline->isAncestorOf(QApplication::focusWidget()))
        d->canvas->setFocus();
    d->outline->setVisible(visible);
    const QSignalBlocker quiet(d->outlineAction);
    d->outlineAction->setChecked(visible);
    d->updateOutlineRow();
}

void ReportView::showOutlineEntry(int row)
{
    const OutlineModel &model = *d->outline->model();
    if (row < 0 || row >= model.rowCount() || !d->document)
        return;
    const int page = model.entry(row).page;
    if (page >= pageCount()) {
        d->pendingOutlineRow = row;   // shown when the pages so far arrive
        return;
    }
    const double mm = d->document->layout().margins.top() + model.headerTopMm(row);
    const int top = d->canvas->pageTop(page) + int(mm * d->canvas->scale() * kScreenDpi / 25.4);
    d->canvas->verticalScrollBar()->setValue(top);
    // The last pages cannot scroll to the top: the entry and its page win.
    if (d->currentPage != page) {
        d->currentPage = page;
        emit pageChanged(page);
    }
    d->updateControls();
    d->screenRow = row;
    d->outline->setCurrentRow(row);
}

PlacedObject ReportView::focusedLink() const
{
    if (d->focusedLink < 0 || d->linkPage != d->currentPage)
        return PlacedObject();
    return d->links[size_t(d->focusedLink)];
}

QRect ReportView::linkRect(int page, const PlacedObject &link) const
{
    if (!d->painter || page < 0 || page >= pageCount())
        return QRect();
    const QRectF text = d->painter->textBoundsMm(page, link);
    const QRect r = d->canvas->toViewport(page, text);
    return r.intersects(d->canvas->viewport()->rect()) ? r : QRect();
}

void ReportView::print()
{
    try {
        if (!d->report)
            return;
        bool useDefault = true;
        emit printButtonClicked(&useDefault);
        if (useDefault)
            d->report->PrintOut(true);
    } catch (...) {
        ShowError();
    }
}

} // namespace orvane
