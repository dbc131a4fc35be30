#pragma once

#include <QString>
#include <QWidget>

struct TPreviewHost;

// The preview window. Its geometry accessors are the window's outer bounds: Left and Top in
// screen coordinates, Width and Height with the frame and title bar.
class TPreviewForm final : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewForm(TPreviewHost *mainForm, QWidget *parent = nullptr);

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void setLeft(int left);
    void setTop(int top);
    void setWidth(int width);
    void setHeight(int height);

    // Takes the main window's PreviewFile and has the browser show it.
    void LoadBookmark();
    QString BookmarkFile() const { return m_bookmarkFile; }

private:
    TPreviewHost *m_mainForm;
    QString m_bookmarkFile;
};
