#include "FrameGeometry.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

constexpr Qt::WindowStates Placed
    = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

QMargins marginsOf(const QWidget *w)
{
    const QRect inner = w->geometry();
    const QRect outer = w->frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
        outer.bottom() - inner.bottom()};
}

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

QRect NormalOuterBounds(const QWidget *window)
{
    const QRect normal = window->normalGeometry();
    if (const FrameFit *fit = FrameFit::of(window); fit && fit->client() == normal)
        return fit->outer();
    return normal.marginsAdded(FrameMargins(window));
}

QRect OuterBounds(const QWidget *window)
{
    if (const FrameFit *fit = FrameFit::of(window); fit && fit->client() == window->geometry())
        return fit->outer();
    if (IsFramed(window))
        return window->frameGeometry();
    return window->geometry().marginsAdded(FrameMargins(window));
}

void SetOuterBounds(QWidget *window, const QRect &outer)
{
    if (FrameFit *old = FrameFit::of(window))
        old->finish();
    const bool framed = IsFramed(window);
    // move() places the frame, resize() sizes what is inside it. A native window that exists
    // but has not been framed yet would take the position as its inside's; say it is the frame's.
    window->move(outer.topLeft());
    if (!framed && window->windowHandle())
        window->windowHandle()->setFramePosition(outer.topLeft());
    window->resize(outer.marginsRemoved(FrameMargins(window)).size().expandedTo(QSize(1, 1)));
    if (!framed)
        new FrameFit(window, outer);
}

#include "FrameGeometry.moc"
