#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

// Everything the program asks of a person goes through a Prompter: the main window's plain
// message boxes, its open and save dialogs, and the file-operation service's confirmations,
// error reports and progress. The program always uses the Qt one (defaultPrompter()); tests
// hand a scripted one to the form or the service they build.

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QWidget *owner = nullptr;
    QString title; // empty: the dialog's own default title
    QString fileName; // proposed name or path
    QString filter; // "description|patterns|description|patterns", patterns split by ';'
    int filterIndex = 1; // 1-based, as the filter's entries are counted
    QString defaultExt;
};

// What the service knows about one side of a replace, for the question it asks.
struct FileFacts {
    QString path;
    qint64 size = -1;
    QDateTime modified;
};

enum class ReplaceAnswer { Yes, YesToAll, No, Cancel };

// A progress display for one file operation. It appears only when the work takes longer
// than about half a second, and only the user's cancel ends the work early.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setTotal(qint64 bytes) = 0;
    virtual void setCurrent(const QString &from, const QString &to) = 0;
    virtual void setDone(qint64 bytes) = 0;
    virtual bool cancelled() = 0;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // The platform's plain message box: modal, no icon, one OK, the application title as
    // caption. Returns when the user has closed it.
    virtual void message(QWidget *owner, const QString &text) = 0;

    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> chooseFile(const FileDialogRequest &request) = 0;

    // The file-operation service's own questions and reports, owned by `owner`.
    // `more` is true when further files of the same operation follow, so "all" makes sense.
    virtual ReplaceAnswer askReplace(
        QWidget *owner, const FileFacts &existing, const FileFacts &incoming, bool more)
        = 0;
    virtual bool askDelete(QWidget *owner, const QStringList &paths, bool toTrash) = 0;
    virtual bool askCreateFolder(QWidget *owner, const QString &folder) = 0;
    virtual void error(QWidget *owner, const QString &title, const QString &text) = 0;
    virtual std::unique_ptr<Progress> progress(
        QWidget *owner, const QString &title, bool showFileNames)
        = 0;
};

// The real one, Qt's message boxes, file dialogs and progress dialog, in Japanese.
Prompter &defaultPrompter();
