#pragma once

#include <QString>

// The main window's public fields that the preview window shares with it: which file to
// show, and the preview window's outer bounds in screen pixels.
struct TPreviewHost {
    QString PreviewFile;
    qint32 PreviewLeft = 0;
    qint32 PreviewTop = 0;
    qint32 PreviewHeight = 0;
    qint32 PreviewWidth = 0;
};
