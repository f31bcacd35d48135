#pragma once

#include "ReportCommandLine.h"

#include <QTextStream>

#include <atomic>
#include <memory>

namespace orvane {

class Connection;

/// Runs one parsed command: opens the database, looks the code up, runs the
/// report query, lays the report out with its headings and writes the file.
/// Messages go to `messages`; returns the exit status (ReportExitStatus).
class ReportTool
{
public:
    ReportTool(const ReportCommand &command, QTextStream &messages);

    /// Show a progress line while the output is written (stderr is a terminal).
    void setShowProgress(bool show) { m_showProgress = show; }

    /// Stop as soon as `*cancel` turns true (a signal handler sets it): the
    /// query is interrupted, the export abandoned, and run() returns
    /// ExitCancelled with nothing written.
    void setCancelFlag(const std::atomic_bool *cancel) { m_cancel = cancel; }

    int run();

private:
    int runOn(const std::shared_ptr<Connection> &connection);
    int refuse(const QString &message);
    int fail(const QString &message);
    int cancelled();
    bool cancelRequested() const { return m_cancel && m_cancel->load(); }
    bool progress(int done, int total);
    void endProgress();

    const ReportCommand &m_command;
    QTextStream &m_messages;
    bool m_showProgress = false;
    const std::atomic_bool *m_cancel = nullptr;
    qint64 m_started = 0;
    qint64 m_lastProgress = 0;
    bool m_progressShown = false;
};

} // namespace orvane
