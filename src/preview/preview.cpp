#include "preview.h"

#include "FormFont.h"
#include "FrameGeometry.h"
#include "PreviewHost.h"

#include <QHideEvent>
#include <QShowEvent>

TPreviewForm::TPreviewForm(TPreviewHost *mainForm, BrowserFactory factory, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_mainForm(mainForm)
{
    // The font first: the widgets are built in it, instead of in the default font and again.
    setFont(FormFont());
    setupUi(this);
    if (factory)
        Preview1->setBrowserFactory(std::move(factory));
    // Closing it hides it; only the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(CloseBt, &QPushButton::clicked, this, &TPreviewForm::CloseBtClick);
    setOuter({435, 138, 288, 401});
}

int TPreviewForm::Left() const
{
    return OuterBounds(this).left();
}

int TPreviewForm::Top() const
{
    return OuterBounds(this).top();
}

int TPreviewForm::Width() const
{
    return OuterBounds(this).width();
}

int TPreviewForm::Height() const
{
    return OuterBounds(this).height();
}

void TPreviewForm::setOuter(const QRect &outer)
{
    SetOuterBounds(this, outer);
}

void TPreviewForm::setLeft(int left)
{
    setOuter(OuterBounds(this).translated(left - Left(), 0));
}

void TPreviewForm::setTop(int top)
{
    setOuter(OuterBounds(this).translated(0, top - Top()));
}

void TPreviewForm::setWidth(int width)
{
    QRect outer = OuterBounds(this);
    outer.setWidth(width);
    setOuter(outer);
}

void TPreviewForm::setHeight(int height)
{
    QRect outer = OuterBounds(this);
    outer.setHeight(height);
    setOuter(outer);
}

void TPreviewForm::SetBounds(int left, int top, int width, int height)
{
    setOuter({left, top, width, height});
}

void TPreviewForm::LoadBookmark()
{
    m_bookmarkFile = m_mainForm->PreviewFile;
    Preview1->NavigateTo(m_bookmarkFile);
}

void TPreviewForm::CloseBtClick()
{
    hide();
}

void TPreviewForm::FormShow()
{
    SetBounds(m_mainForm->PreviewLeft, m_mainForm->PreviewTop, m_mainForm->PreviewWidth,
        m_mainForm->PreviewHeight);
}

// Only a window on screen has bounds of its own to report; a hidden one, or one whose showing
// has not yet applied the fields, leaves them as the main window set them.
void TPreviewForm::copyGeometryToMainForm()
{
    if (!m_showing)
        return;
    m_mainForm->PreviewTop = Top();
    m_mainForm->PreviewLeft = Left();
    m_mainForm->PreviewHeight = Height();
    m_mainForm->PreviewWidth = Width();
}

void TPreviewForm::FormPaint()
{
    copyGeometryToMainForm();
}

void TPreviewForm::FormResize()
{
    CloseBt->move(CloseButtonLeft(Panel1->width()), CloseBt->y());
    copyGeometryToMainForm();
}

void TPreviewForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        FormShow();
        m_showing = true;
    }
    QWidget::showEvent(event);
}

void TPreviewForm::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        m_showing = false;
    QWidget::hideEvent(event);
}

void TPreviewForm::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    FormPaint();
}

// The panel lies along the bottom, 45 pixels high; the browser fills the rest.
void TPreviewForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int panelHeight = Panel1->height();
    Panel1->setGeometry(0, height() - panelHeight, width(), panelHeight);
    Preview1->setGeometry(0, 0, width(), qMax(0, height() - panelHeight));
    FormResize();
}

// A window that is only moved is not painted again, yet its new place must be kept.
void TPreviewForm::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    copyGeometryToMainForm();
}
