#include "FileLbl.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>

void SplitText(const QString &text, const QString &separator, QStringList &list)
{
    if (separator.isEmpty()) {
        list.append(text);
        return;
    }
    qsizetype start = 0;
    for (qsizetype at = text.indexOf(separator); at >= 0; at = text.indexOf(separator, start)) {
        list.append(text.mid(start, at - start));
        start = at + separator.size();
    }
    list.append(text.mid(start));
}

QString FitPath(const PathFit &path, int width, const std::function<int(const QString &)> &measure)
{
    if (path.fileName.isEmpty())
        return QString();
    if (measure(path.fileName) <= width)
        return path.fileName;

    const QString ellipsis = QStringLiteral("...") + path.separator;
    const QString &last = path.elements.constLast();
    // Here "too wide" includes an exact fit, unlike the checks of the whole name and of
    // each middle candidate below.
    if (measure(ellipsis) + measure(last) >= width)
        return last;
    int used = measure(last) + measure(ellipsis);

    QString drive;
    qsizetype firstMiddle = 0;
    if (path.hasDrive) {
        drive = path.elements.constFirst() + path.separator;
        firstMiddle = 1;
    }
    if (measure(drive) + used >= width)
        return ellipsis + last;
    used += measure(drive);

    QString middle;
    const qsizetype n = path.elements.size();
    if (path.direction == drFromLeft) {
        for (qsizetype i = n - 2; i >= firstMiddle; --i) {
            QString candidate = path.elements[i] + path.separator + middle;
            if (measure(candidate) + used > width)
                break;
            middle = std::move(candidate);
        }
        return drive + ellipsis + middle + last;
    }
    for (qsizetype i = firstMiddle; i <= n - 2; ++i) {
        QString candidate = middle + path.elements[i] + path.separator;
        if (measure(candidate) + used > width)
            break;
        middle = std::move(candidate);
    }
    return drive + middle + ellipsis + last;
}

TFileLabel::TFileLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void TFileLabel::setFileName(const QString &fileName)
{
    if (fileName == m_fileName)
        return;
    m_fileName = fileName;
    UpdateElements();
    UpdateCaption();
}

void TFileLabel::setDirection(TDirection direction)
{
    if (direction == m_direction)
        return;
    m_direction = direction;
    UpdateCaption();
}

void TFileLabel::setSeparator(const QString &separator)
{
    if (separator == m_separator)
        return;
    m_separator = separator;
    UpdateElements();
    UpdateCaption();
}

void TFileLabel::UpdateElements()
{
    m_elements.clear();
    SplitText(m_fileName, m_separator, m_elements);
    const QString &first = m_elements.constFirst();
    m_hasDrive = first.size() >= 2 && first.endsWith(QLatin1Char(':'));
}

void TFileLabel::UpdateCaption()
{
    const QFontMetrics metrics(font());
    const auto measure
        = [&metrics](const QString &text) { return metrics.horizontalAdvance(text); };
    setText(
        FitPath({m_elements, m_hasDrive, m_fileName, m_separator, m_direction}, width(), measure));
}

void TFileLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    UpdateCaption();
}

void TFileLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateCaption();
}

void TFileLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLabel::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT DblClick();
}
