#include "UrlLabel.h"

#include "Cursors.h"
#include "ShellOpen.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>

using namespace Qt::StringLiterals;

QColor ColorFromTColor(TColor color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QString TrimBlanks(const QString &text)
{
    const auto blank = [](QChar c) { return c.unicode() <= u' '; };
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && blank(text.at(first)))
        ++first;
    while (last > first && blank(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

TUrlLabel::TUrlLabel(QWidget *parent)
    : QLabel(parent)
    , m_popupMenu(new QMenu(this))
{
    // An address is shown as written, never taken for markup.
    setTextFormat(Qt::PlainText);

    // Every label loads the hand afresh and puts it in the list, in place of the one there.
    // The picture's hot spot is the fingertip; Qt does not read it from the file.
    const QPixmap hand(u":/vantrelle/hand.xpm"_s);
    if (hand.isNull())
        Screen::removeCursor(HandCursor);
    else
        Screen::setCursor(HandCursor, QCursor(hand, 5, 0));
    setCursor(Screen::cursor(HandCursor));

    setFontColor(ColorFromTColor(0xFF0000));
    // Only the underline is the label's own; face and size follow the form.
    QFont underlined;
    underlined.setUnderline(true);
    setFont(underlined);

    QAction *copy = m_popupMenu->addAction(u"Copy"_s);
    connect(copy, &QAction::triggered, this, &TUrlLabel::CopyClick);
}

QColor TUrlLabel::fontColor() const
{
    return palette().color(QPalette::Active, QPalette::WindowText);
}

void TUrlLabel::setFontColor(const QColor &color)
{
    // A disabled link keeps the style's grey text, as any disabled label.
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::WindowText, color);
    p.setColor(QPalette::Inactive, QPalette::WindowText, color);
    setPalette(p);
}

void TUrlLabel::Click()
{
    QPointer<TUrlLabel> alive(this);
    Q_EMIT clicked();
    if (!alive)
        return;
    // The target goes on as written; blanks only decide whether there is one.
    const QString target = TrimBlanks(m_url).isEmpty() ? text() : m_url;
    if (TrimBlanks(target).isEmpty())
        return;
    ShellOpen(target);
}

void TUrlLabel::CopyClick()
{
    QGuiApplication::clipboard()->setText(text());
}

void TUrlLabel::MouseDown(
    Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos)
{
    if (button == Qt::LeftButton) {
        m_savedColor = fontColor();
        setFontColor(ColorFromTColor(m_activeColor));
    }
    Q_EMIT mouseDown(button, modifiers, pos);
}

void TUrlLabel::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos)
{
    // Only a colour saved by a left press is put back; a stray release leaves it alone.
    if (button == Qt::LeftButton && m_savedColor.isValid()) {
        setFontColor(m_savedColor);
        m_savedColor = QColor();
    }
    Q_EMIT mouseUp(button, modifiers, pos);
}

void TUrlLabel::mousePressEvent(QMouseEvent *event)
{
    // Accepted, so that the release comes back here wherever the mouse has gone.
    event->accept();
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    MouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

// Qt delivers the second press of a double click as a press and then this event. That press
// is no new click: the first click has opened the address already, so its release opens
// nothing.
void TUrlLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        m_leftPressed = false;
}

void TUrlLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const Qt::MouseButton button = event->button();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const QPoint pos = event->position().toPoint();
    if (button == Qt::LeftButton && m_leftPressed) {
        m_leftPressed = false;
        // What the click opens may take long or close the form; the label may be gone after.
        QPointer<TUrlLabel> alive(this);
        if (rect().contains(pos))
            Click();
        if (!alive)
            return;
    }
    MouseUp(button, modifiers, pos);
}

void TUrlLabel::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    m_popupMenu->popup(event->globalPos());
}
