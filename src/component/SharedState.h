#pragma once

#include <QDate>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <typeindex>
#include <unordered_map>

namespace orvane {

class Connection;

/// Supplies the default From date of the report windows; read once per window load.
class DefaultDateProvider
{
public:
    virtual ~DefaultDateProvider() = default;
    virtual QDate date() const = 0;
};

/// The component-wide state, one set per thread: every Reports object of a
/// thread shares one connection and one instance of each window kind.
class SharedState
{
public:
    static SharedState &current();

    /// Empty until InitializeClass.
    std::shared_ptr<Connection> SharedConnection;

    /// The instance of window kind T, created on first use. A window that
    /// deletes itself on close is created afresh at the next use.
    template<class T>
    T *window()
    {
        QPointer<QWidget> &slot = m_windows[std::type_index(typeid(T))];
        if (!slot)
            slot = new T;
        return static_cast<T *>(slot.data());
    }

    /// The instance of T if one exists, else nullptr.
    template<class T>
    T *existingWindow() const
    {
        auto it = m_windows.find(std::type_index(typeid(T)));
        return it == m_windows.end() ? nullptr : static_cast<T *>(it->second.data());
    }

    /// Makes `window` the instance of T (the viewer is replaced per preparation).
    template<class T>
    void setWindow(T *window) { m_windows[std::type_index(typeid(T))] = window; }

    /// The provider behind the default From date (built in: first day of this month).
    DefaultDateProvider &defaultDateProvider();
    void setDefaultDateProvider(std::shared_ptr<DefaultDateProvider> provider);

    /// Live objects and windows, for DllCanUnloadNow.
    int liveWindowCount() const;

private:
    std::unordered_map<std::type_index, QPointer<QWidget>> m_windows;
    std::shared_ptr<DefaultDateProvider> m_dateProvider;
};

} // namespace orvane
