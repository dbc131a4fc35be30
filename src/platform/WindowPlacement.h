#pragma once

#include <QPoint>
#include <QtGlobal>

class QWidget;

// The window system's placement record, read and applied whole over a QWidget.

// showCmd
inline constexpr quint32 SW_HIDE = 0;
inline constexpr quint32 SW_SHOWNORMAL = 1;
inline constexpr quint32 SW_NORMAL = 1;
inline constexpr quint32 SW_SHOWMINIMIZED = 2;
inline constexpr quint32 SW_SHOWMAXIMIZED = 3;
inline constexpr quint32 SW_MAXIMIZE = 3;
inline constexpr quint32 SW_SHOWNOACTIVATE = 4;
inline constexpr quint32 SW_SHOW = 5;
inline constexpr quint32 SW_MINIMIZE = 6;
inline constexpr quint32 SW_SHOWMINNOACTIVE = 7;
inline constexpr quint32 SW_SHOWNA = 8;
inline constexpr quint32 SW_RESTORE = 9;
inline constexpr quint32 SW_SHOWDEFAULT = 10;
inline constexpr quint32 SW_FORCEMINIMIZE = 11;

// flags
inline constexpr quint32 WPF_SETMINPOSITION = 0x1;
inline constexpr quint32 WPF_RESTORETOMAXIMIZED = 0x2;

// Edges in screen coordinates; right and bottom lie just outside, so width = right - left.
struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const RECT &, const RECT &) = default;
};

struct WINDOWPLACEMENT {
    quint32 length = sizeof(WINDOWPLACEMENT);
    quint32 flags = 0;
    quint32 showCmd = SW_HIDE;
    // The desktop has no places for minimised or maximised windows; these are kept as they
    // were last set, (-1, -1) for none.
    QPoint ptMinPosition{-1, -1};
    QPoint ptMaxPosition{-1, -1};
    // The window's outer bounds, frame included, when it is neither minimised nor maximised.
    RECT rcNormalPosition;
};

// showCmd is SW_SHOWMINIMIZED or SW_SHOWMAXIMIZED for such a window, otherwise SW_SHOWNORMAL,
// hidden or not. False only without a window.
bool GetWindowPlacement(QWidget *window, WINDOWPLACEMENT &placement);

// Puts the normal bounds in place (a window that would be off every screen is moved onto the
// primary one), keeps the positions, and then carries out showCmd: SW_HIDE hides the window
// or keeps it hidden in the state it has; the others show it normal, minimised or maximised.
// False only without a window.
bool SetWindowPlacement(QWidget *window, const WINDOWPLACEMENT &placement);

bool IsIconic(const QWidget *window);
