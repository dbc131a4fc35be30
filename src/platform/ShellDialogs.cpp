#include "QtPrompter.h"

#include "FormFont.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Steps of the progress bar: byte counts beyond int are scaled onto these.
constexpr int ProgressSteps = 10000;
// Longest interval without handling events while a copy runs, so the cancel button answers.
constexpr qint64 EventInterval = 50;
constexpr int LabelWidth = 420;
// Work shorter than this shows no progress.
constexpr int ShowAfter = 500;

QString factsText(const QString &heading, const FileFacts &facts)
{
    const QLocale locale(QLocale::Japanese);
    const QString size = facts.size < 0
        ? u"不明"_s
        : u"%1 (%2 バイト)"_s.arg(
            locale.formattedDataSize(facts.size, 1, QLocale::DataSizeTraditionalFormat),
            locale.toString(facts.size));
    const QString modified = facts.modified.isValid()
        ? locale.toString(facts.modified, u"yyyy/MM/dd HH:mm:ss"_s)
        : u"不明"_s;
    return u"%1\n    サイズ: %2\n    更新日時: %3"_s.arg(heading, size, modified);
}

// Every dialog of the service is window-modal to its owner, as the shell's are; one without
// an owner blocks the whole program, since window modality would block nothing.
Qt::WindowModality modalityFor(const QWidget *owner)
{
    return owner ? Qt::WindowModal : Qt::ApplicationModal;
}

void prepare(QMessageBox &box)
{
    // In the program's font from the start: a box laid out in one font and drawn in the one it
    // inherits late would cut its first line short.
    box.setFont(FormFont());
    box.setWindowModality(modalityFor(box.parentWidget()));
    box.setTextFormat(Qt::PlainText); // file names are shown as they are, never as markup
    // Wide enough that a path is not broken into a column of fragments.
    box.setStyleSheet(
        u"QLabel#qt_msgbox_label, QLabel#qt_msgbox_informativelabel { min-width: 340px; }"_s);
}

void setButtonText(QMessageBox &box, QMessageBox::StandardButton which, const QString &text)
{
    if (QAbstractButton *button = box.button(which))
        button->setText(text);
}

QString nameOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

class DialogProgress;

// The progress displays of the work now running; a question holds them back.
QList<DialogProgress *> &runningProgress()
{
    static QList<DialogProgress *> running;
    return running;
}

class DialogProgress final : public Progress {
public:
    explicit DialogProgress(QWidget *owner, const QString &title, bool showFileNames)
        : m_dialog(new QProgressDialog(owner))
        , m_showFileNames(showFileNames)
    {
        runningProgress().append(this);
        m_dialog->setWindowTitle(title);
        m_dialog->setLabelText(title);
        m_dialog->setCancelButtonText(u"キャンセル"_s);
        m_dialog->setWindowModality(modalityFor(owner));
        // The service deletes the dialog when it is done; nothing should close it earlier.
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        // The dialog appears after half a second of work, by our own clock rather than the
        // dialog's, so that a question of the service can hold it back (see hold()).
        m_dialog->setMinimumDuration(std::numeric_limits<int>::max());
        m_showTimer.setSingleShot(true);
        m_showTimer.setInterval(ShowAfter);
        QObject::connect(&m_showTimer, &QTimer::timeout, m_dialog, [this] {
            if (m_dialog && !m_dialog->wasCanceled())
                m_dialog->show();
        });
        m_showTimer.start();
        m_dialog->setMinimumWidth(LabelWidth + 60);
        m_dialog->setRange(0, ProgressSteps);
        m_dialog->setValue(0);
        m_sinceEvents.start();
    }
    ~DialogProgress() override
    {
        runningProgress().removeOne(this);
        delete m_dialog; // null when the owner took it along
    }

    // A question asked while the work runs comes first: a progress dialog appearing over it
    // would take the owner's modality from it, and the question could no longer be answered
    // while the work waits for the answer. The dialog appears half a second after the answer
    // if it has not appeared yet.
    void hold() { m_showTimer.stop(); }
    void release()
    {
        if (m_dialog && !m_dialog->isVisible())
            m_showTimer.start();
    }

    DialogProgress(const DialogProgress &) = delete;
    DialogProgress &operator=(const DialogProgress &) = delete;

    void setTotal(qint64 bytes) override { m_total = bytes; }

    void setCurrent(const QString &from, const QString &to) override
    {
        if (!m_dialog || !m_showFileNames)
            return;
        const QFontMetrics metrics(m_dialog->font());
        const auto elided = [&metrics](const QString &text) {
            return metrics.elidedText(text, Qt::ElideMiddle, LabelWidth);
        };
        const QString folderFrom = QFileInfo(from).path();
        QString label = elided(nameOf(from));
        if (!to.isEmpty())
            label += u"\n"_s
                + u"「%1」から「%2」へ"_s.arg(elided(folderFrom), elided(QFileInfo(to).path()));
        else
            label += u"\n"_s + u"「%1」から"_s.arg(elided(folderFrom));
        m_dialog->setLabelText(label);
    }

    void setDone(qint64 bytes) override
    {
        if (!m_dialog)
            return;
        const double share = m_total > 0 ? double(bytes) / double(m_total) : 0.0;
        // A modal progress dialog handles events itself whenever its value changes.
        m_dialog->setValue(qBound(0, int(share * ProgressSteps), ProgressSteps));
        if (m_sinceEvents.elapsed() >= EventInterval) {
            // Until the dialog shows, nothing blocks the owner: a click would reach it and
            // could start more work inside this one. Repaints and timers, the one that shows
            // the dialog among them, still run. Once shown, its modality keeps the owner out.
            QCoreApplication::processEvents(
                m_dialog->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
            m_sinceEvents.restart();
        }
    }

    // An owner closed under the running work takes the dialog with it: the work stops too.
    bool cancelled() override { return !m_dialog || m_dialog->wasCanceled(); }

private:
    QPointer<QProgressDialog> m_dialog;
    bool m_showFileNames;
    qint64 m_total = 0;
    QElapsedTimer m_sinceEvents;
    QTimer m_showTimer;
};

// Holds back the running progress displays while a question or report is on screen.
class ProgressHold final {
public:
    ProgressHold()
        : m_held(runningProgress())
    {
        for (DialogProgress *progress : std::as_const(m_held))
            progress->hold();
    }
    ~ProgressHold()
    {
        for (DialogProgress *progress : std::as_const(m_held))
            if (runningProgress().contains(progress))
                progress->release();
    }
    ProgressHold(const ProgressHold &) = delete;
    ProgressHold &operator=(const ProgressHold &) = delete;

private:
    const QList<DialogProgress *> m_held;
};

} // namespace

ReplaceAnswer QtPrompter::askReplace(
    QWidget *owner, const FileFacts &existing, const FileFacts &incoming, bool more)
{
    const ProgressHold hold;
    QMessageBox box(QMessageBox::Question, u"ファイルの置き換えの確認"_s,
        u"この場所には既に同じ名前のファイルがあります。\n「%1」\n\n置き換えますか?"_s.arg(
            nameOf(existing.path)),
        QMessageBox::NoButton, owner);
    prepare(box);
    box.setInformativeText(factsText(u"現在のファイル:"_s, existing) + u"\n\n"_s
        + factsText(u"新しいファイル:"_s, incoming));
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    if (more)
        buttons |= QMessageBox::YesToAll;
    box.setStandardButtons(buttons);
    setButtonText(box, QMessageBox::Yes, u"はい(&Y)"_s);
    setButtonText(box, QMessageBox::YesToAll, u"すべてはい(&A)"_s);
    setButtonText(box, QMessageBox::No, u"いいえ(&N)"_s);
    setButtonText(box, QMessageBox::Cancel, u"キャンセル"_s);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return ReplaceAnswer::Yes;
    case QMessageBox::YesToAll:
        return ReplaceAnswer::YesToAll;
    case QMessageBox::No:
        return ReplaceAnswer::No;
    default:
        return ReplaceAnswer::Cancel;
    }
}

bool QtPrompter::askDelete(QWidget *owner, const QStringList &paths, bool toTrash)
{
    const ProgressHold hold;
    const QString action = toTrash ? u"ごみ箱に移動しますか?"_s : u"完全に削除しますか?"_s;
    const QString text = paths.size() == 1
        ? u"「%1」を%2"_s.arg(nameOf(paths.first()), action)
        : u"これらの %1 個の項目を%2"_s.arg(QString::number(paths.size()), action);
    QMessageBox box(toTrash ? QMessageBox::Question : QMessageBox::Warning,
        toTrash ? u"ごみ箱への移動の確認"_s : u"ファイルの削除の確認"_s, text,
        QMessageBox::Yes | QMessageBox::No, owner);
    prepare(box);
    if (paths.size() == 1)
        box.setInformativeText(paths.first());
    setButtonText(box, QMessageBox::Yes, u"はい(&Y)"_s);
    setButtonText(box, QMessageBox::No, u"いいえ(&N)"_s);
    // What cannot be undone should not happen on a stray Enter.
    box.setDefaultButton(toTrash ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompter::askCreateFolder(QWidget *owner, const QString &folder)
{
    const ProgressHold hold;
    QMessageBox box(QMessageBox::Question, u"フォルダの作成の確認"_s,
        u"フォルダ「%1」はありません。\n作成しますか?"_s.arg(folder),
        QMessageBox::Yes | QMessageBox::No, owner);
    prepare(box);
    setButtonText(box, QMessageBox::Yes, u"はい(&Y)"_s);
    setButtonText(box, QMessageBox::No, u"いいえ(&N)"_s);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtPrompter::error(QWidget *owner, const QString &title, const QString &text)
{
    const ProgressHold hold;
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, owner);
    prepare(box);
    setButtonText(box, QMessageBox::Ok, u"OK"_s);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

std::unique_ptr<Progress> QtPrompter::progress(
    QWidget *owner, const QString &title, bool showFileNames)
{
    return std::make_unique<DialogProgress>(owner, title, showFileNames);
}
