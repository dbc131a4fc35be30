#include "ToolbarButton97.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace {
// Between the glyph and the caption.
constexpr int glyphSpacing = 4;
} // namespace

TToolbarButton97::TToolbarButton97(QWidget *parent)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setFocusPolicy(Qt::NoFocus);
}

void TToolbarButton97::setGlyph(const QString &path)
{
    m_glyph = path;
    updateIcon();
}

void TToolbarButton97::setNumGlyphs(int count)
{
    m_numGlyphs = qMax(1, count);
    updateIcon();
}

void TToolbarButton97::updateIcon()
{
    const QPixmap strip(m_glyph);
    if (strip.isNull()) {
        setIcon(QIcon());
        return;
    }
    const int w = strip.width() / m_numGlyphs;
    QIcon icon;
    icon.addPixmap(strip.copy(0, 0, w, strip.height()), QIcon::Normal);
    if (m_numGlyphs > 1)
        icon.addPixmap(strip.copy(w, 0, w, strip.height()), QIcon::Disabled);
    setIconSize(QSize(w, strip.height()));
    setIcon(icon);
}

// Drawn by hand rather than by the style, which keeps wide margins and would cut a caption
// such as "Netscape" short in a 73-pixel button.
void TToolbarButton97::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const bool pressed = option.state & (QStyle::State_Sunken | QStyle::State_On);
    if (isEnabled() && (pressed || (option.state & QStyle::State_MouseOver)))
        painter.drawPrimitive(QStyle::PE_PanelButtonTool, option);

    const QSize glyphSize = iconSize();
    const QPixmap glyph = icon().pixmap(glyphSize, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    const QString caption = text();
    const int textWidth = fontMetrics().horizontalAdvance(caption);
    const int gap = glyph.isNull() || caption.isEmpty() ? 0 : glyphSpacing;
    const int glyphWidth = glyph.isNull() ? 0 : glyphSize.width();
    QRect content(0, 0, glyphWidth + gap + textWidth, height());
    content.moveCenter(rect().center());
    content.setLeft(qMax(1, content.left()));
    if (pressed)
        content.translate(1, 1);

    if (!glyph.isNull()) {
        const QRect at(
            QPoint(content.left(), content.top() + (content.height() - glyphSize.height()) / 2),
            glyphSize);
        painter.drawPixmap(at, glyph);
    }
    QRect textRect = content;
    textRect.setLeft(content.left() + glyphWidth + gap);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
}
