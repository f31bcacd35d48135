#pragma once

#include "ReportsInterface.h"

#include <QMainWindow>

#include <memory>

namespace orvane::demo {

/// The host's main window: each report of the component by its own name, in a
/// menu and as buttons, with Ctrl+1 to Ctrl+8.
class DemoHostWindow : public QMainWindow
{
    Q_OBJECT
public:
    /// `reports` has had InitializeClass; `source` describes the database.
    DemoHostWindow(std::unique_ptr<_Reports> reports, const QString &source,
                   const QString &library, QWidget *parent = nullptr);
    ~DemoHostWindow() override;

    /// One entry per method of the component's interface, in its order.
    struct Entry
    {
        QString title;
        void (_Reports::*method)();
        QString note;
    };
    static const QList<Entry> &entries();

    /// Calls one report method as the host would; a failure is shown, not thrown.
    void run(const Entry &entry);

    /// File > Quit (Ctrl+Q): closes every window, the component's included,
    /// and ends the event loop.
    void quit();

private:
    std::unique_ptr<_Reports> m_reports;
};

} // namespace orvane::demo
