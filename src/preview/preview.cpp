#include "preview.h"

#include "FormFont.h"
#include "PreviewHost.h"

namespace {
// Frame and title bar around the client area; zero until the window system has framed it.
QSize frameExtra(const QWidget *w)
{
    return w->frameGeometry().size() - w->geometry().size();
}
} // namespace

TPreviewForm::TPreviewForm(TPreviewHost *mainForm, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_mainForm(mainForm)
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("PreviewForm"));
    setFont(FormFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    move(435, 138);
    resize(288, 401);
}

int TPreviewForm::Left() const
{
    return frameGeometry().left();
}
int TPreviewForm::Top() const
{
    return frameGeometry().top();
}
int TPreviewForm::Width() const
{
    return frameGeometry().width();
}
int TPreviewForm::Height() const
{
    return frameGeometry().height();
}

void TPreviewForm::setLeft(int left)
{
    move(left, Top());
}
void TPreviewForm::setTop(int top)
{
    move(Left(), top);
}
void TPreviewForm::setWidth(int width)
{
    resize(width - frameExtra(this).width(), height());
}
void TPreviewForm::setHeight(int height)
{
    resize(width(), height - frameExtra(this).height());
}

void TPreviewForm::LoadBookmark()
{
    m_bookmarkFile = m_mainForm->PreviewFile;
}
