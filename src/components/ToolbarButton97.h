#pragma once

#include <QToolButton>

// A flat push button with a glyph left of its caption, both centred as one. Its frame shows
// only under the mouse or while pressed. The glyph picture holds NumGlyphs images of equal
// width side by side: the normal one first, then the one shown while the button is disabled.
class TToolbarButton97 final : public QToolButton {
    Q_OBJECT
    Q_PROPERTY(QString glyph READ glyph WRITE setGlyph)
    Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE setNumGlyphs)
public:
    explicit TToolbarButton97(QWidget *parent = nullptr);

    // A resource path or file name of the glyph picture.
    QString glyph() const { return m_glyph; }
    void setGlyph(const QString &path);
    int NumGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int count);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateIcon();

    QString m_glyph;
    int m_numGlyphs = 1;
};
