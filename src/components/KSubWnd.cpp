#include "KSubWnd.h"

#include <QWidget>

TKCustomSubWnd::TKCustomSubWnd(QObject *owner)
    : QObject(owner)
{
}

TKCustomSubWnd::~TKCustomSubWnd()
{
    Unhook();
    disconnect(m_removal);
}

void TKCustomSubWnd::setForm(QWidget *form)
{
    if (form == m_form)
        return;
    Unhook();
    disconnect(m_removal);
    m_form = form;
    // Recorded in design mode as well, so that a destroyed form is never held.
    if (m_form)
        m_removal = connect(m_form, &QObject::destroyed, this, &TKCustomSubWnd::Notification);
    if (!m_designMode && m_form)
        Hook();
}

bool TKCustomSubWnd::SubWndProc(QObject *target, QEvent *event)
{
    Q_UNUSED(target);
    Q_UNUSED(event);
    return false;
}

bool TKCustomSubWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (m_hooked && watched == m_form)
        return SubWndProc(watched, event);
    return QObject::eventFilter(watched, event);
}

void TKCustomSubWnd::Notification(QObject *removed)
{
    if (removed == m_form)
        setForm(nullptr);
}

void TKCustomSubWnd::Hook()
{
    // The window is hooked for the events of its native window, so that must exist.
    if (m_form->isWindow())
        m_form->winId();
    m_form->installEventFilter(this);
    m_hooked = true;
}

// Only what Hook did is undone, so a change of design mode in between leaves nothing behind.
void TKCustomSubWnd::Unhook()
{
    if (!m_hooked)
        return;
    m_form->removeEventFilter(this);
    m_hooked = false;
}
