#include "preview.h"

#include "FormFont.h"
#include "FrameGeometry.h"
#include "PreviewHost.h"

TPreviewForm::TPreviewForm(TPreviewHost *mainForm, BrowserFactory factory, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_mainForm(mainForm)
{
    setupUi(this);
    if (factory)
        Preview1->setBrowserFactory(std::move(factory));
    setFont(FormFont());
    // Closing it hides it; only the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(CloseBt, &QPushButton::clicked, this, &TPreviewForm::CloseBtClick);
    applyOuter();
}

void TPreviewForm::setLeft(int left)
{
    m_outer.moveLeft(left);
    applyOuter();
}

void TPreviewForm::setTop(int top)
{
    m_outer.moveTop(top);
    applyOuter();
}

void TPreviewForm::setWidth(int width)
{
    m_outer.setWidth(width);
    applyOuter();
}

void TPreviewForm::setHeight(int height)
{
    m_outer.setHeight(height);
    applyOuter();
}

void TPreviewForm::applyOuter()
{
    const QRect wanted = m_outer;
    SetOuterBounds(this, wanted);
    m_outer = wanted;
}

// Takes the bounds the window now has, once it is on screen. The first time the window
// system tells the real frame, a size that was set with a guessed frame is set again.
void TPreviewForm::followWindow()
{
    if (!isVisible())
        return;
    if (!m_frameChecked && IsFramed(this)) {
        m_frameChecked = true;
        if (frameGeometry() != m_outer) {
            applyOuter();
            return;
        }
    }
    m_outer = OuterBounds(this);
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
    // Each assignment moves or sizes the window, which reports its bounds back into the
    // fields; read them all before the first one.
    const TPreviewHost wanted = *m_mainForm;
    setTop(wanted.PreviewTop);
    setLeft(wanted.PreviewLeft);
    setHeight(wanted.PreviewHeight);
    setWidth(wanted.PreviewWidth);
}

// Only a window on screen has bounds of its own to report; a hidden one keeps the fields as
// the main window left them.
void TPreviewForm::copyGeometryToMainForm()
{
    if (!isVisible())
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
    FormShow();
    QWidget::showEvent(event);
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
    followWindow();
    FormResize();
}

// A window that is only moved is not painted again, yet its new place must be kept.
void TPreviewForm::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    followWindow();
    copyGeometryToMainForm();
}
