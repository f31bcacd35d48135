#pragma once

#include "DefaultDateProvider.h"

#include <QDate>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <typeindex>
#include <unordered_map>

namespace orvane {

class Connection;
class ReportPresenter;

/// The built-in DefaultDateProvider: the first day of the current month.
class FirstOfMonthDateProvider : public DefaultDateProvider
{
public:
    QDate date() const override;
};

/// The component-wide state, one set per thread: every Reports object of a
/// thread shares one connection and one instance of each window kind.
class SharedState
{
public:
    /// The state of the calling thread, created on first use.
    static SharedState &current();

    /// Empty until InitializeClass.
    std::shared_ptr<Connection> SharedConnection;

    /// The instance of window kind T, created on first use. A window that
    /// deletes itself on close is created afresh at the next use.
    template<class T>
    T *window()
    {
        QPointer<QWidget> &slot = m_windows[std::type_index(typeid(T))];
        if (!slot) {
            slot = new T;
            track(slot.data());
        }
        return static_cast<T *>(slot.data());
    }

    /// The instance of T if one exists, else nullptr.
    template<class T>
    T *existingWindow() const
    {
        auto it = m_windows.find(std::type_index(typeid(T)));
        return it == m_windows.end() ? nullptr : static_cast<T *>(it->second.data());
    }

    /// Makes `window` the instance of T (the viewer is replaced per preparation;
    /// the earlier one stays alive on its own and is still counted as live).
    template<class T>
    void setWindow(T *window)
    {
        m_windows[std::type_index(typeid(T))] = window;
        track(window);
    }

    /// The provider behind the default From date (built in: first day of this month).
    DefaultDateProvider &defaultDateProvider();
    /// Null restores the built-in provider.
    void setDefaultDateProvider(std::shared_ptr<DefaultDateProvider> provider);

    /// Where the report windows send a prepared report (null until the
    /// component's public object, or a test, sets the viewer's presenter).
    ReportPresenter *reportPresenter() const { return m_presenter.get(); }
    void setReportPresenter(std::shared_ptr<ReportPresenter> presenter);

    /// Windows of this thread's component still in existence (shown or
    /// hidden), viewers replaced by setWindow included. For DllCanUnloadNow.
    int liveWindowCount() const;

    /// Deletes every window and dialog of this thread's component that still
    /// exists; the next use creates them afresh. For a host that unloads the
    /// component, and for tests that must leave nothing behind.
    void deleteWindows();

    /// The same over every thread of the process, for DllCanUnloadNow.
    static int liveWindowCountAllThreads();

    /// Reports objects alive in the process (all threads), for DllCanUnloadNow.
    static int liveObjectCount();
    static void objectCreated();
    static void objectDestroyed();

private:
    void track(QWidget *window);

    std::unordered_map<std::type_index, QPointer<QWidget>> m_windows;
    mutable QList<QPointer<QWidget>> m_created;
    std::shared_ptr<DefaultDateProvider> m_dateProvider;
    std::shared_ptr<ReportPresenter> m_presenter;
};

} // namespace orvane
