#pragma once

#include <QMetaObject>
#include <QObject>

class QEvent;
class QWidget;

// Hooks a form's window: every event sent to Form reaches SubWndProc first, which says
// whether it has handled it; what it leaves goes on to the form. The component is owned by a
// form but may hook any; it never owns Form, and lets go of it when Form is destroyed.
//
// In design mode (the form designer; the program never sets it) Form is only recorded and
// nothing is hooked.
class TKCustomSubWnd : public QObject {
    Q_OBJECT
    Q_PROPERTY(QWidget *Form READ Form WRITE setForm)
public:
    explicit TKCustomSubWnd(QObject *owner = nullptr);
    ~TKCustomSubWnd() override;

    QWidget *Form() const { return m_form; }
    void setForm(QWidget *form);

    bool DesignMode() const { return m_designMode; }
    void setDesignMode(bool designMode) { m_designMode = designMode; }

protected:
    // True: handled, the form does not see the event.
    virtual bool SubWndProc(QObject *target, QEvent *event);

    bool eventFilter(QObject *watched, QEvent *event) final;

private:
    // The removal notice: Form is going away.
    void Notification(QObject *removed);
    void Hook();
    void Unhook();

    QWidget *m_form = nullptr;
    QMetaObject::Connection m_removal;
    bool m_hooked = false;
    bool m_designMode = false;
};
