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

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void setLeft(int left);
    void setTop(int top);
    void setWidth(int width);
    void setHeight(int height);
    // All four at once. A window on screen takes a new place or size only when the window
    // system confirms it, so four separate changes in a row would each start from stale
    // bounds.
    void SetBounds(int left, int top, int width, int height);

    // Has the browser show the main window's PreviewFile, every time, the same file too.
    void LoadBookmark();
    QString BookmarkFile() const { return m_bookmarkFile; }

    void CloseBtClick();
    void FormResize();
    void FormShow();
    void FormPaint();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void setOuter(const QRect &outer);
    void copyGeometryToMainForm();

    TPreviewHost *m_mainForm;
    QString m_bookmarkFile;
    bool m_showing = false;
};
