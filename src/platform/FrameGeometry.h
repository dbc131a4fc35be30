#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// A top-level window's outer bounds: its frame and title bar included, as the forms keep
// their geometry. The window system tells the frame only once it has framed the window; until
// then the frame of another of our windows stands in, since one window manager frames them
// alike, and a window that has never been framed anywhere counts as frameless.
QMargins FrameMargins(const QWidget *window);
QRect OuterBounds(const QWidget *window);
void SetOuterBounds(QWidget *window, const QRect &outer);
// Whether the window system has told the window's frame yet.
bool IsFramed(const QWidget *window);
