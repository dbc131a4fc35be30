#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// A top-level window's outer bounds: its frame and title bar included, as the forms keep
// their geometry. The window system tells the frame only once it has framed the window; until
// then the frame of another of our windows stands in, since one window manager frames them
// alike, and a window that has never been framed anywhere counts as frameless.
//
// Outer bounds set before the frame is known are kept as they were set: read back exactly,
// and the size put right once the window system tells the real frame.
QMargins FrameMargins(const QWidget *window);
QRect OuterBounds(const QWidget *window);
// The outer bounds the window has, or would have, when neither maximised nor minimised.
QRect NormalOuterBounds(const QWidget *window);
void SetOuterBounds(QWidget *window, const QRect &outer);
// Whether the window system has told the window's frame yet.
bool IsFramed(const QWidget *window);
