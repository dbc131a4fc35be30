#pragma once

#include "Prompter.h"

// The real Prompter: Qt's own dialogs. Message boxes and file dialogs are in Prompter.cpp;
// the file-operation service's questions, errors and progress in ShellDialogs.cpp.
class QtPrompter final : public Prompter {
public:
    void message(QWidget *owner, const QString &text) override;
    std::optional<QString> chooseFile(const FileDialogRequest &request) override;
    ReplaceAnswer askReplace(
        QWidget *owner, const FileFacts &existing, const FileFacts &incoming, bool more) override;
    bool askDelete(QWidget *owner, const QStringList &paths, bool toTrash) override;
    bool askCreateFolder(QWidget *owner, const QString &folder) override;
    void error(QWidget *owner, const QString &title, const QString &text) override;
    std::unique_ptr<Progress> progress(
        QWidget *owner, const QString &title, bool showFileNames) override;
};
