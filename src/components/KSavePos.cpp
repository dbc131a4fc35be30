#include "KSavePos.h"

#include "Application.h"
#include "ValueReaders.h"
#include "WindowPlacement.h"

#include <QEvent>
#include <QPlatformSurfaceEvent>
#include <QStringList>
#include <QWidget>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// 0 normal, 1 minimised, 2 maximised, as the bounds text keeps the state.
int stateOf(const QWidget *form)
{
    if (form->isMinimized())
        return 1;
    return form->isMaximized() ? 2 : 0;
}

// A form already in the state is left alone, as its window state is set only on a change.
void setState(QWidget *form, int state)
{
    if (state != 1 && state != 2)
        state = 0; // an unknown code counts as normal
    if (state == stateOf(form))
        return;
    form->setWindowState(state == 1 ? Qt::WindowMinimized
            : state == 2            ? Qt::WindowMaximized
                                    : Qt::WindowNoState);
}

} // namespace

TKSaveFormPos::TKSaveFormPos(QObject *owner)
    : TKCustomSubWnd(owner)
{
}

QWidget *TKSaveFormPos::OwnerForm() const
{
    return qobject_cast<QWidget *>(parent());
}

void TKSaveFormPos::Loaded()
{
    if (!m_loading)
        return;
    setForm(OwnerForm());
    if (!DesignMode() && m_saveBounds)
        Load();
    m_loading = false;
}

bool TKSaveFormPos::SubWndProc(QObject *target, QEvent *event)
{
    // The native window still exists here, so its placement can be read.
    if (event->type() == QEvent::PlatformSurface
        && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType()
            == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed
        && m_saveBounds) {
        // Nobody called us who could hear of a failure; the application's error box can.
        if (const IniWriteResult result = Save(); !result.ok)
            Application::showError(result.message);
    }
    return TKCustomSubWnd::SubWndProc(target, event);
}

IniWriteResult TKSaveFormPos::Save()
{
    QWidget *form = OwnerForm();
    if (!form)
        return IniWriteResult::success();
    WINDOWPLACEMENT placement;
    GetWindowPlacement(form, placement);
    int state = placement.showCmd == SW_SHOWMAXIMIZED ? 2 : 0;
    // The main form is asked through the application's own window where there is one; Qt has
    // none, so every form is asked itself.
    if (IsIconic(form))
        state = 1;
    const RECT &r = placement.rcNormalPosition;
    const QString text = QString::asprintf("%d,%d,%d,%d,%d,%d,%d,%d,%d", state,
        placement.ptMinPosition.x(), placement.ptMinPosition.y(), placement.ptMaxPosition.x(),
        placement.ptMaxPosition.y(), r.left, r.top, r.right, r.bottom);
    return WriteBounds(text);
}

void TKSaveFormPos::Load()
{
    QString text;
    ReadBounds(text);
    const QStringList items = CommaTextSplit(text);
    if (items.size() != 9)
        return;
    QWidget *form = OwnerForm();
    if (!form)
        return;
    WINDOWPLACEMENT placement;
    GetWindowPlacement(form, placement);
    placement.flags = WPF_SETMINPOSITION;

    const int state = StrToInt(items[0]).value_or(stateOf(form));
    if (m_resumeIconic || state != 1)
        setState(form, state);
    // Loaded runs before the form is shown; showing it then is the form's business.
    if (m_loading)
        placement.showCmd = SW_HIDE;

    int *const fields[] = {&placement.ptMinPosition.rx(), &placement.ptMinPosition.ry(),
        &placement.ptMaxPosition.rx(), &placement.ptMaxPosition.ry(),
        &placement.rcNormalPosition.left, &placement.rcNormalPosition.top,
        &placement.rcNormalPosition.right, &placement.rcNormalPosition.bottom};
    for (qsizetype i = 0; i < 8; ++i) {
        if (const std::optional<qint32> value = StrToInt(items[i + 1]))
            *fields[i] = *value;
    }
    SetWindowPlacement(form, placement);
}

TKSavePosIni::TKSavePosIni(QObject *owner)
    : TKSaveFormPos(owner)
{
}

QString TKSavePosIni::Ident() const
{
    const QWidget *form = OwnerForm();
    return (form ? form->objectName() : QString()) + u".Bounds"_s;
}

IniWriteResult TKSavePosIni::WriteBounds(const QString &text)
{
    const TIniFile ini(ChangeFileExt(Application::exeName(), u".ini"_s));
    return ini.WriteString(u"Bounds"_s, Ident(), text);
}

void TKSavePosIni::ReadBounds(QString &text)
{
    const TIniFile ini(ChangeFileExt(Application::exeName(), u".ini"_s));
    text = ini.ReadString(u"Bounds"_s, Ident(), QString());
}
