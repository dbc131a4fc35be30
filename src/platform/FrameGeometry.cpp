#include "FrameGeometry.h"

#include <QApplication>
#include <QWidget>

namespace {

QMargins marginsOf(const QWidget *w)
{
    const QRect inner = w->geometry();
    const QRect outer = w->frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
        outer.bottom() - inner.bottom()};
}

} // namespace

bool IsFramed(const QWidget *window)
{
    return window->frameGeometry() != window->geometry();
}

QMargins FrameMargins(const QWidget *window)
{
    if (IsFramed(window))
        return marginsOf(window);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *other : windows) {
        if (other != window && other->isVisible() && IsFramed(other))
            return marginsOf(other);
    }
    return {};
}

QRect OuterBounds(const QWidget *window)
{
    if (IsFramed(window))
        return window->frameGeometry();
    return window->geometry().marginsAdded(FrameMargins(window));
}

void SetOuterBounds(QWidget *window, const QRect &outer)
{
    const QMargins frame = FrameMargins(window);
    // move() places the frame; resize() sizes what is inside it.
    window->move(outer.topLeft());
    window->resize(outer.marginsRemoved(frame).size());
}
