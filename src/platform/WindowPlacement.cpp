#include "WindowPlacement.h"

#include "FrameGeometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace {

const char MinPositionProperty[] = "vantrelleMinPosition";
const char MaxPositionProperty[] = "vantrelleMaxPosition";
constexpr Qt::WindowStates Zoomed = Qt::WindowMaximized | Qt::WindowFullScreen;
constexpr Qt::WindowStates Placed = Qt::WindowMinimized | Zoomed;

QRect normalOuter(const QWidget *window)
{
    if (!window->isWindow())
        return window->geometry();
    return NormalOuterBounds(window);
}

// The rectangle as Qt can take it: a sensible size, and on some screen.
QRect usableRect(const RECT &r, const QWidget *window)
{
    const qint64 width = std::clamp<qint64>(qint64(r.right) - r.left, 1, QWIDGETSIZE_MAX);
    const qint64 height = std::clamp<qint64>(qint64(r.bottom) - r.top, 1, QWIDGETSIZE_MAX);
    qint64 left = r.left;
    qint64 top = r.top;
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (window->isWindow() && !screens.isEmpty()) {
        const auto shows = [&](const QScreen *screen) {
            const QRect g = screen->geometry();
            return left < qint64(g.x()) + g.width() && left + width > g.x()
                && top < qint64(g.y()) + g.height() && top + height > g.y();
        };
        if (std::none_of(screens.cbegin(), screens.cend(), shows)) {
            const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
            left = area.x();
            top = area.y();
        }
    }
    // Keep right and bottom inside int.
    left = std::min<qint64>(left, std::numeric_limits<int>::max() - width);
    top = std::min<qint64>(top, std::numeric_limits<int>::max() - height);
    return QRect(int(left), int(top), int(width), int(height));
}

void applyNormal(QWidget *window, const QRect &outer)
{
    if (window->isWindow())
        SetOuterBounds(window, outer);
    else
        window->setGeometry(outer);
}

Qt::WindowStates stateFor(quint32 showCmd, quint32 flags, Qt::WindowStates current)
{
    const Qt::WindowStates kept = current & Placed;
    switch (showCmd) {
    case SW_HIDE:
    case SW_SHOW:
    case SW_SHOWNA:
        return kept;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
        return (flags & WPF_RESTORETOMAXIMIZED) ? Qt::WindowMinimized | Qt::WindowMaximized
                                                : Qt::WindowMinimized;
    case SW_SHOWMAXIMIZED:
        return Qt::WindowMaximized;
    default:
        return Qt::WindowNoState;
    }
}

} // namespace

bool GetWindowPlacement(QWidget *window, WINDOWPLACEMENT &placement)
{
    if (!window)
        return false;
    const Qt::WindowStates state = window->windowState();
    placement.length = sizeof(WINDOWPLACEMENT);
    placement.flags
        = (state & Qt::WindowMinimized) && (state & Zoomed) ? WPF_RESTORETOMAXIMIZED : 0;
    placement.showCmd = (state & Qt::WindowMinimized) ? SW_SHOWMINIMIZED
        : (state & Zoomed)                            ? SW_SHOWMAXIMIZED
                                                      : SW_SHOWNORMAL;
    const QVariant minPosition = window->property(MinPositionProperty);
    const QVariant maxPosition = window->property(MaxPositionProperty);
    placement.ptMinPosition = minPosition.isValid() ? minPosition.toPoint() : QPoint(-1, -1);
    placement.ptMaxPosition = maxPosition.isValid() ? maxPosition.toPoint() : QPoint(-1, -1);
    const QRect outer = normalOuter(window);
    placement.rcNormalPosition
        = {outer.left(), outer.top(), outer.left() + outer.width(), outer.top() + outer.height()};
    return true;
}

bool SetWindowPlacement(QWidget *window, const WINDOWPLACEMENT &placement)
{
    if (!window)
        return false;
    if (placement.flags & WPF_SETMINPOSITION)
        window->setProperty(MinPositionProperty, placement.ptMinPosition);
    window->setProperty(MaxPositionProperty, placement.ptMaxPosition);

    const QRect outer = usableRect(placement.rcNormalPosition, window);
    const Qt::WindowStates current = window->windowState();
    if (!(current & Zoomed)) {
        applyNormal(window, outer);
    } else if (normalOuter(window) != outer) {
        // Qt takes a maximised window's normal bounds from the moment it is maximised, so new
        // ones are put in place while it is not.
        window->setWindowState(current & ~Zoomed);
        applyNormal(window, outer);
    }

    Qt::WindowStates target = stateFor(placement.showCmd, placement.flags, current);
    if (!(target & Qt::WindowMinimized))
        target |= current & Qt::WindowActive;
    if (window->windowState() != target)
        window->setWindowState(target);
    if (placement.showCmd == SW_HIDE) {
        if (window->isVisible())
            window->hide();
    } else if (!window->isVisible()) {
        window->show();
    }
    return true;
}

bool IsIconic(const QWidget *window)
{
    return window && window->isMinimized();
}
