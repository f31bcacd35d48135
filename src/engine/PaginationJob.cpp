#include "PaginationJob.h"

#include "Paginator.h"
#include "Report.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QMutex>
#include <QtConcurrent>

namespace orvane {

struct PaginationJob::Private
{
    std::shared_ptr<const ReportContent> content;
    std::atomic_bool cancel{false};
    QFuture<void> future;
    mutable QMutex mutex;
    Document first;
    Document full;
    // The outline so far, under `mutex`: entries re-indexed into copies of their headers.
    std::vector<OutlineEntry> outline;
    std::vector<Placement> outlineHeaders;
    int outlinedPages = 0;   // worker thread only
    std::vector<OutlineEntry> found;   // worker thread only
};

PaginationJob::PaginationJob(const Report &report, QObject *parent) : PaginationJob(report.content(), parent) {}

PaginationJob::PaginationJob(std::shared_ptr<const ReportContent> content, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->content = std::move(content);
}

PaginationJob::~PaginationJob()
{
    d->cancel = true;
    d->future.waitForFinished();
}

void PaginationJob::start()
{
    if (isRunning())
        return;
    d->cancel = false;
    d->outlinedPages = 0;
    {
        QMutexLocker lock(&d->mutex);
        d->outline.clear();
        d->outlineHeaders.clear();
    }
    d->future = QtConcurrent::run([this] {
        QElapsedTimer sinceReport;
        sinceReport.start();
        Document doc = Paginator(d->content).paginate(&d->cancel, [this, &sinceReport](const Document &partial, int pages) {
            collectOutline(partial);
            if (pages == 1) {
                // A copy of page 1 alone, so the viewer can paint it while the rest is laid out.
                Document f;
                f.content = partial.content;
                f.pages.push_back({0, partial.pages[0].count});
                f.placements.assign(partial.placements.begin(), partial.placements.begin() + partial.pages[0].count);
                f.totals = partial.totals;
                {
                    QMutexLocker lock(&d->mutex);
                    d->first = std::move(f);
                }
                QMetaObject::invokeMethod(this, [this] { emit firstPageReady(); }, Qt::QueuedConnection);
            }
            // Enough to keep a page counter moving without flooding the event loop.
            if (sinceReport.elapsed() >= 100) {
                sinceReport.restart();
                QMetaObject::invokeMethod(this, [this, pages] { emit progress(pages); }, Qt::QueuedConnection);
            }
        });
        const int pages = doc.pageCount();
        {
            QMutexLocker lock(&d->mutex);
            d->full = std::move(doc);
        }
        QMetaObject::invokeMethod(this, [this, pages] {
            emit progress(pages);
            emit finished();
        }, Qt::QueuedConnection);
    });
}

void PaginationJob::collectOutline(const Document &partial)
{
    d->found.clear();
    appendOutline(partial, d->outlinedPages, d->found);
    d->outlinedPages = partial.pageCount();
    if (d->found.empty())
        return;
    QMutexLocker lock(&d->mutex);
    for (OutlineEntry entry : d->found) {
        d->outlineHeaders.push_back(partial.placements[size_t(entry.placement)]);
        entry.placement = qint32(d->outlineHeaders.size() - 1);
        d->outline.push_back(entry);
    }
}

void PaginationJob::takeOutline(std::vector<OutlineEntry> &entries, std::vector<Placement> &headers)
{
    QMutexLocker lock(&d->mutex);
    const qint32 base = qint32(headers.size());
    for (OutlineEntry entry : d->outline) {
        entry.placement += base;
        entries.push_back(entry);
    }
    headers.insert(headers.end(), d->outlineHeaders.begin(), d->outlineHeaders.end());
    d->outline.clear();
    d->outlineHeaders.clear();
}

void PaginationJob::stop()
{
    d->cancel = true;
}

bool PaginationJob::isRunning() const
{
    return d->future.isRunning();
}

Document PaginationJob::firstPage() const
{
    QMutexLocker lock(&d->mutex);
    return d->first;
}

Document PaginationJob::document() const
{
    QMutexLocker lock(&d->mutex);
    return d->full;
}

} // namespace orvane
