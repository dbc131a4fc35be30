#pragma once

#include "PreviewHTML.h"
#include "ui_preview.h"

#include <QRect>
#include <QString>
#include <QWidget>

struct TPreviewHost;

// Where the close button stands in a bottom panel of the given width: centred, the button
// being 76 pixels wide. The division truncates toward zero.
constexpr int CloseButtonLeft(int panelWidth)
{
    return panelWidth / 2 - 38;
}

// The preview window: the bookmark file rendered in the browser control, a close button in a
// bar along the bottom. Its geometry is kept in the main window's fields, and its geometry
// accessors are the window's outer bounds: Left and Top in screen coordinates, Width and
// Height with the frame and title bar.
class TPreviewForm final : public QWidget, public Ui::TPreviewFormDesign {
    Q_OBJECT
public:
    // `factory` makes the browser control; empty: the real web engine.
    explicit TPreviewForm(
        TPreviewHost *mainForm, BrowserFactory factory = {}, QWidget *parent = nullptr);

    int Left() const { return m_outer.left(); }
    int Top() const { return m_outer.top(); }
    int Width() const { return m_outer.width(); }
    int Height() const { return m_outer.height(); }
    void setLeft(int left);
    void setTop(int top);
    void setWidth(int width);
    void setHeight(int height);

    // Has the browser show the main window's PreviewFile, every time, the same file too.
    void LoadBookmark();
    QString BookmarkFile() const { return m_bookmarkFile; }

    void CloseBtClick();
    void FormResize();
    void FormShow();
    void FormPaint();

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void applyOuter();
    void followWindow();
    void copyGeometryToMainForm();

    TPreviewHost *m_mainForm;
    QString m_bookmarkFile;
    // The outer bounds, kept by us: the window system tells the frame only after it has
    // framed the window, and a window never shown keeps its designed bounds.
    QRect m_outer{435, 138, 288, 401};
    bool m_frameChecked = false;
};
