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

// A window shown before the window system has framed it is sized as if it had no frame. Once
// the frame is known this gives it back the outer size it was meant to have, so that bounds
// saved and restored do not grow by a frame each time. It gives up when someone else resizes
// the window first.
class FrameFit final : public QObject {
    Q_OBJECT
public:
    FrameFit(QWidget *window, const QRect &outer)
        : QObject(window)
        , m_window(window)
        , m_outer(outer)
        , m_client(window->geometry())
    {
        window->installEventFilter(this);
    }

    QRect outer() const { return m_outer; }
    QRect client() const { return m_client; }

    static FrameFit *of(const QWidget *window)
    {
        const QList<FrameFit *> fits
            = window->findChildren<FrameFit *>(QString(), Qt::FindDirectChildrenOnly);
        for (FrameFit *fit : fits) {
            if (!fit->m_done)
                return fit;
        }
        return nullptr;
    }

    // Called from its own filter too, so it goes later; until then it is done and ignored.
    void finish()
    {
        m_done = true;
        m_window->removeEventFilter(this);
        deleteLater();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange:
            break;
        default:
            return false;
        }
        if (watched != m_window || !m_window->isVisible() || (m_window->windowState() & Placed))
            return false;
        if (m_window->size() != m_client.size()) {
            finish();
            return false;
        }
        if (!IsFramed(m_window))
            return false;
        const QSize wanted = m_outer.marginsRemoved(FrameMargins(m_window)).size();
        finish();
        if (wanted.isValid() && wanted != m_window->size())
            m_window->resize(wanted);
        return false;
    }

private:
    QWidget *m_window;
    QRect m_outer;
    QRect m_client;
    bool m_done = false;
};

QMargins marginsOf(const QWidget *window)
{
    return window->isWindow() ? FrameMargins(window) : QMargins();
}

QRect normalOuter(const QWidget *window)
{
    if (!window->isWindow())
        return window->geometry();
    const QRect normal = window->normalGeometry();
    if (const FrameFit *fit = FrameFit::of(window); fit && fit->client() == normal)
        return fit->outer();
    return normal.marginsAdded(marginsOf(window));
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
    if (FrameFit *old = FrameFit::of(window))
        old->finish();
    const bool framed = !window->isWindow() || IsFramed(window);
    QSize client = outer.marginsRemoved(marginsOf(window)).size();
    client = client.expandedTo(QSize(1, 1));
    // move() places the frame, resize() sizes what is inside it.
    window->move(outer.topLeft());
    window->resize(client);
    if (!framed)
        new FrameFit(window, outer);
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

#include "WindowPlacement.moc"
