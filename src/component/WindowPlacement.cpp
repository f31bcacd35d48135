#include "WindowPlacement.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace orvane {

namespace {

const char *const placedProperty = "orvanePlaced";

/// Windows placed so far, in the order they were placed.
QList<QPointer<QWidget>> &placedWindows()
{
    static QList<QPointer<QWidget>> windows;
    return windows;
}

bool startsAt(const QList<QRect> &frames, const QPoint &corner)
{
    for (const QRect &frame : frames) {
        if (frame.topLeft() == corner)
            return true;
    }
    return false;
}

} // namespace

QRect WindowPlacement::place(const QSize &frameSize, const QRect &available, const QList<QRect> &openFrames)
{
    const QSize size = frameSize.boundedTo(available.size());
    if (openFrames.isEmpty()) {
        QRect frame(QPoint(), size);
        frame.moveCenter(available.center());
        return frame;
    }

    const QPoint step(CascadeStep, CascadeStep);
    const QPoint next = openFrames.last().topLeft() + step;
    if (available.contains(QRect(next, size)))
        return QRect(next, size);
    if (available.contains(next)) {
        const QSize room(available.right() - next.x() + 1, available.bottom() - next.y() + 1);
        if (room.width() * 3 >= size.width() * 2 && room.height() * 3 >= size.height() * 2)
            return QRect(next, size.boundedTo(room));
    }
    for (QPoint corner = available.topLeft(); available.contains(QRect(corner, size)); corner += step) {
        if (!startsAt(openFrames, corner))
            return QRect(corner, size);
    }
    return QRect(available.topLeft(), size);
}

void WindowPlacement::placeOnScreen(QWidget *window)
{
    if (!window || window->property(placedProperty).toBool())
        return;
    window->setProperty(placedProperty, true);

    QWidget *active = QApplication::activeWindow();
    QScreen *screen = active ? active->screen() : QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;

    // Before its first show a window's frame is often not known yet; the
    // window manager will then give it the one it gave the active window.
    QMargins frameMargins;
    if (const QWindow *handle = window->windowHandle())
        frameMargins = handle->frameMargins();
    if (frameMargins.isNull() && active && active != window) {
        const QRect outer = active->frameGeometry();
        const QRect inner = active->geometry();
        frameMargins = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                                outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }

    QList<QPointer<QWidget>> &placed = placedWindows();
    placed.removeAll(QPointer<QWidget>());
    QList<QRect> open;
    for (const QPointer<QWidget> &other : std::as_const(placed)) {
        if (other != window && other->isVisible() && screen->geometry().intersects(other->frameGeometry()))
            open << other->frameGeometry();
    }
    placed.append(window);

    const QRect frame = place(window->size().grownBy(frameMargins), screen->availableGeometry(), open);
    const QSize inner = frame.size().shrunkBy(frameMargins);
    if (inner.width() < window->width() || inner.height() < window->height())
        window->resize(inner.boundedTo(window->size()));
    // For a window, move() places the frame's top-left corner.
    window->move(frame.topLeft());
}

} // namespace orvane
