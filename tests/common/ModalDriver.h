#pragma once

// The one way the tests answer a modal window (a lookup, a viewer, a message
// box, the save dialog): from inside its modal loop, as a user would.

#include <QApplication>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace orvane::test {

/// While alive, watches for visible modal top-level widgets of type T. Each new
/// one, once `ready` holds (always, when not given), is handed to `act`, which
/// may answer it; if it is still open after that it is closed, so the modal
/// show returns to the test (a closed lookup is a cancelled one). One that is
/// never ready is closed after five seconds, so a failing test cannot hang.
template<class T>
class ModalDriver : public QObject
{
public:
    explicit ModalDriver(std::function<void(T *)> act = {}, std::function<bool(T *)> ready = {})
        : m_act(std::move(act))
        , m_ready(std::move(ready))
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
        m_timer.start(0);
    }

    int shown = 0;                     // how many were handled
    QList<QPointer<QWidget>> owners;   // the parent of each as it came up

private:
    void poll()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            T *t = qobject_cast<T *>(w);
            if (!t || !t->isVisible() || !t->isModal() || m_done.contains(t))
                continue;
            if (!m_waiting.contains(t)) {
                m_waiting << t;
                m_clock.start();
            }
            if (m_ready && !m_ready(t)) {
                if (m_clock.elapsed() > 5000)
                    t->close();
                continue;
            }
            m_done << t;
            ++shown;
            owners << t->parentWidget();
            const QPointer<T> guard(t);
            if (m_act)
                m_act(t);
            if (guard && guard->isVisible())
                guard->close();
        }
    }

    std::function<void(T *)> m_act;
    std::function<bool(T *)> m_ready;
    QList<QPointer<T>> m_waiting;
    QList<QPointer<T>> m_done;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

} // namespace orvane::test
