#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

// Until the window manager has framed the window its frame is unknown; it
// is taken to be a title bar and borders as wide as desktops draw them.
inline constexpr QMargins EstimatedWindowFrame(8, 40, 8, 8);

// How the window shows the form on a screen.
struct WindowFit
{
    // The form scrolls, with its commands pinned below it.
    bool scrolls = false;
    // The window's size without its frame.
    QSize size;
};

// The form whole at its `designed` size when the screen's `available` area
// holds it with the window's `frame`. Otherwise the form scrolls, and the
// window is as large as the area holds, up to `roomy` (the scrolling
// arrangement with nothing left to scroll) and never below `smallest`.
WindowFit fitWindow(const QSize &designed, const QSize &roomy, const QSize &smallest,
                    const QRect &available, const QMargins &frame);
