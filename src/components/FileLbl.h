#pragma once

#include <QLabel>
#include <QStringList>

#include <functional>

enum TDirection : quint8 { drFromLeft, drFromRight };

// Appends the pieces of `text` cut at each occurrence of `separator` to `list`: k occurrences
// give k + 1 pieces, empty ones included. An empty separator never matches.
void SplitText(const QString &text, const QString &separator, QStringList &list);

// The shortened form of a path that has been cut into `elements`, for a width of `width`
// pixels as `measure` counts them. Kept apart from the label so that it can be checked with
// any measure.
struct PathFit {
    QStringList elements;
    bool hasDrive = false;
    QString fileName;
    QString separator;
    TDirection direction = drFromLeft;
};
QString FitPath(const PathFit &path, int width, const std::function<int(const QString &)> &measure);

// A one-line label that shows FileName shortened to its width: the file name is always kept,
// a drive stays in front when there is room, and the folders in between give way to "..."
// from the side that Direction names. FileName itself always keeps the full path.
class TFileLabel final : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(QString Separator READ Separator WRITE setSeparator)
public:
    explicit TFileLabel(QWidget *parent = nullptr);

    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName);
    TDirection Direction() const { return m_direction; }
    void setDirection(TDirection direction);
    QString Separator() const { return m_separator; }
    void setSeparator(const QString &separator);

    const QStringList &Elements() const { return m_elements; }
    bool HasDrive() const { return m_hasDrive; }

Q_SIGNALS:
    void DblClick();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void UpdateElements();
    void UpdateCaption();

    QString m_fileName;
    QString m_separator = QStringLiteral("\\");
    TDirection m_direction = drFromLeft;
    QStringList m_elements;
    bool m_hasDrive = false;
};
