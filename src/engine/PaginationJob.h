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

signals:
    void firstPageReady();
    void progress(int pages);
    void finished();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace orvane
