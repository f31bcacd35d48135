#pragma once

#include <QList>
#include <QRect>
#include <QSize>

class QWidget;

namespace orvane {

/// Where the component's report windows and viewers open: wholly inside the
/// available area of the screen that holds the host's active window, cascaded
/// so that a new window leaves the one opened before it in sight. All
/// geometry is in screen pixels and counts the window frame (title bar and
/// borders) in.
class WindowPlacement
{
public:
    /// How far right and down a window opens from the one before it, in pixels.
    static constexpr int CascadeStep = 32;

    /// The frame rectangle for a window whose frame measures `frameSize`, on
    /// a screen whose available area is `available`, among the frames of the
    /// windows open there, oldest first (the last is the window opened before).
    /// The first window is centred; the next one opens a step right of and
    /// below the one before, shrunk to fit if it keeps two thirds of its size;
    /// failing that, the cascade starts again at the top-left corner, on the
    /// first step where no open window starts. A window larger than the area
    /// is shrunk to it.
    static QRect place(const QSize &frameSize, const QRect &available, const QList<QRect> &openFrames);

    /// Moves `window` (and shrinks it when it does not fit) by place(), among
    /// the windows placed before that are still visible on that screen. Call
    /// it when the window is first shown; later calls for the same window do
    /// nothing, so a window the user has moved stays where it is.
    static void placeOnScreen(QWidget *window);
};

} // namespace orvane
