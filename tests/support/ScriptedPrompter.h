#pragma once

#include "Prompter.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <optional>

// A Prompter for tests: answers come from queues the test fills, every question is recorded.
// An unexpected question (its queue empty) is recorded in `unexpected` and answered with the
// most cautious reply (cancel, no), so a test that forgot one fails on its checks instead of
// hanging in a real dialog.
class ScriptedPrompter final : public Prompter {
public:
    // Recorded calls, in order: "message: <text>", "open: <fileName>", "save: <fileName>",
    // "replace: <existing path>", "delete: <paths joined by |>", "trash: ...",
    // "mkdir: <folder>", "error: <text>", "progress: <title>".
    QStringList calls;
    QStringList messages;
    QStringList errors;
    QList<FileDialogRequest> fileRequests;
    QStringList unexpected;

    QQueue<std::optional<QString>> fileAnswers;
    QQueue<ReplaceAnswer> replaceAnswers;
    QQueue<bool> deleteAnswers;
    QQueue<bool> mkdirAnswers;
    // The progress display reports cancelled from this many setDone() calls on; -1: never.
    int cancelProgressAfter = -1;
    int progressShown = 0;

    void message(QWidget *owner, const QString &text) override;
    std::optional<QString> chooseFile(const FileDialogRequest &request) override;
    ReplaceAnswer askReplace(
        QWidget *owner, const FileFacts &existing, const FileFacts &incoming, bool more) override;
    bool askDelete(QWidget *owner, const QStringList &paths, bool toTrash) override;
    bool askCreateFolder(QWidget *owner, const QString &folder) override;
    void error(QWidget *owner, const QString &title, const QString &text) override;
    std::unique_ptr<Progress> progress(
        QWidget *owner, const QString &title, bool showFileNames) override;

    // Owners seen by the questions, to check that dialogs belong to the main window.
    QList<QWidget *> owners;
};
