#include "FileDialogs.h"

TFileDialog::TFileDialog(FileDialogRequest::Kind kind, QObject *parent)
    : QObject(parent)
    , m_kind(kind)
{
}

bool TFileDialog::Execute(QWidget *owner)
{
    FileDialogRequest request;
    request.kind = m_kind;
    request.owner = owner;
    request.title = Title;
    request.fileName = FileName;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.defaultExt = DefaultExt;
    Prompter &prompter = m_prompter ? *m_prompter : defaultPrompter();
    const std::optional<QString> chosen = prompter.chooseFile(request);
    if (!chosen)
        return false;
    FileName = *chosen;
    return true;
}
