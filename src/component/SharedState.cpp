#include "SharedState.h"

#include "ReportDefinition.h"
#include "ReportPresenter.h"

#include <atomic>

namespace orvane {

namespace {

std::atomic<int> liveObjects{0};
std::atomic<int> liveWindows{0};

} // namespace

QDate FirstOfMonthDateProvider::date() const
{
    return builtInFromDate(QDate::currentDate());
}

SharedState &SharedState::current()
{
    thread_local SharedState state;
    return state;
}

DefaultDateProvider &SharedState::defaultDateProvider()
{
    if (!m_dateProvider)
        m_dateProvider = std::make_shared<FirstOfMonthDateProvider>();
    return *m_dateProvider;
}

void SharedState::setDefaultDateProvider(std::shared_ptr<DefaultDateProvider> provider)
{
    m_dateProvider = std::move(provider);
}

void SharedState::setReportPresenter(std::shared_ptr<ReportPresenter> presenter)
{
    m_presenter = std::move(presenter);
}

void SharedState::track(QWidget *window)
{
    if (!window)
        return;
    m_created.removeAll(QPointer<QWidget>());
    for (const QPointer<QWidget> &known : std::as_const(m_created)) {
        if (known.data() == window)
            return;
    }
    m_created.append(window);
    ++liveWindows;
    QObject::connect(window, &QObject::destroyed, [] { --liveWindows; });
}

int SharedState::liveWindowCountAllThreads()
{
    return liveWindows.load();
}

void SharedState::deleteWindows()
{
    const QList<QPointer<QWidget>> windows = m_created;
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
    m_created.clear();
    m_windows.clear();
}

int SharedState::liveWindowCount() const
{
    m_created.removeAll(QPointer<QWidget>());
    return int(m_created.size());
}

int SharedState::liveObjectCount()
{
    return liveObjects.load();
}

void SharedState::objectCreated()
{
    ++liveObjects;
}

void SharedState::objectDestroyed()
{
    --liveObjects;
}

} // namespace orvane
