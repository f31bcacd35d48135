#pragma once

#include "Document.h"

#include <QObject>

#include <atomic>
#include <memory>

namespace orvane {

class Report;

/// Paginates a report off the user-interface thread. Signals arrive on the
/// thread that created the job. Typical viewer use: show firstPage() on
/// firstPageReady with "Page 1 of N…", update N on progress, take
/// document() on finished; stop() cancels (finished still follows).
class PaginationJob : public QObject
{
    Q_OBJECT
public:
    /// Takes a snapshot of the report now; the report may change or go away afterwards.
    explicit PaginationJob(const Report &report, QObject *parent = nullptr);
    explicit PaginationJob(std::shared_ptr<const ReportContent> content, QObject *parent = nullptr);
    ~PaginationJob() override;   // cancels and waits

    void start();
    void stop();
    bool isRunning() const;

    /// The first page alone (valid after firstPageReady).
    Document firstPage() const;
    /// The whole document (valid after finished; partial with cancelled == true after stop()).
    Document document() const;

    /// The outline entries (appendOutline) of the pages laid out since the
    /// last call, in order, so that an outline fills while the pages are laid
    /// out. Appended to `entries`; the `placement` of each is made an index
    /// into `headers`, where a copy of its group header's placement is appended.
    void takeOutline(std::vector<OutlineEntry> &entries, std::vector<Placement> &headers);

signals:
    void firstPageReady();
    void progress(int pages);
    void finished();

private:
    void collectOutline(const Document &partial);   // on the worker thread, after each page

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace orvane
