#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

class QMenu;

// A colour as the forms store it: 0x00BBGGRR, red in the low byte.
using TColor = quint32;
QColor ColorFromTColor(TColor color);

// Only what is below U+0020 or equal to it counts as blank at either end: spaces and
// control characters, not the wider Unicode whitespace of QString::trimmed().
QString TrimBlanks(const QString &text);

// A hyperlink label: blue and underlined, with the hand cursor. A left click opens URL, or
// the caption when URL is blank, with the associated program; while the button is held the
// text shows in ActiveColor. Its context menu copies the caption. Click is virtual so that a
// label made from this one can open something else.
class TUrlLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString URL READ URL WRITE setURL)
    Q_PROPERTY(quint32 ActiveColor READ ActiveColor WRITE setActiveColor)
public:
    // The number of the hand cursor in the program's cursor list.
    static constexpr int HandCursor = 5;

    explicit TUrlLabel(QWidget *parent = nullptr);

    QString URL() const { return m_url; }
    void setURL(const QString &url) { m_url = url; }
    TColor ActiveColor() const { return m_activeColor; }
    void setActiveColor(TColor color) { m_activeColor = color; }

    virtual void Click();
    void CopyClick();

Q_SIGNALS:
    void clicked();
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);

protected:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QColor fontColor() const;
    void setFontColor(const QColor &color);

    QString m_url;
    TColor m_activeColor = 0x800080;
    QColor m_savedColor;
    // Set by a left press on the label, so that only its own release clicks.
    bool m_leftPressed = false;
    QMenu *m_popupMenu;
};
