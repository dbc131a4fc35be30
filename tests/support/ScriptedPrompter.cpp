#include "ScriptedPrompter.h"

namespace {

class ScriptedProgress final : public Progress {
public:
    explicit ScriptedProgress(int cancelAfter)
        : m_cancelAfter(cancelAfter)
    {
    }
    void setTotal(qint64) override { }
    void setCurrent(const QString &, const QString &) override { }
    void setDone(qint64) override { ++m_updates; }
    bool cancelled() override { return m_cancelAfter >= 0 && m_updates >= m_cancelAfter; }

private:
    int m_cancelAfter;
    int m_updates = 0;
};

} // namespace

void ScriptedPrompter::message(QWidget *owner, const QString &text)
{
    owners << owner;
    calls << QStringLiteral("message: ") + text;
    messages << text;
}

std::optional<QString> ScriptedPrompter::chooseFile(const FileDialogRequest &request)
{
    owners << request.owner;
    const bool open = request.kind == FileDialogRequest::Kind::Open;
    calls << (open ? QStringLiteral("open: ") : QStringLiteral("save: ")) + request.fileName;
    fileRequests << request;
    if (fileAnswers.isEmpty()) {
        unexpected << calls.last();
        return std::nullopt;
    }
    return fileAnswers.dequeue();
}

ReplaceAnswer ScriptedPrompter::askReplace(
    QWidget *owner, const FileFacts &existing, const FileFacts &, bool)
{
    owners << owner;
    calls << QStringLiteral("replace: ") + existing.path;
    if (replaceAnswers.isEmpty()) {
        unexpected << calls.last();
        return ReplaceAnswer::Cancel;
    }
    return replaceAnswers.dequeue();
}

bool ScriptedPrompter::askDelete(QWidget *owner, const QStringList &paths, bool toTrash)
{
    owners << owner;
    calls << (toTrash ? QStringLiteral("trash: ") : QStringLiteral("delete: "))
            + paths.join(QLatin1Char('|'));
    if (deleteAnswers.isEmpty()) {
        unexpected << calls.last();
        return false;
    }
    return deleteAnswers.dequeue();
}

bool ScriptedPrompter::askCreateFolder(QWidget *owner, const QString &folder)
{
    owners << owner;
    calls << QStringLiteral("mkdir: ") + folder;
    if (mkdirAnswers.isEmpty()) {
        unexpected << calls.last();
        return false;
    }
    return mkdirAnswers.dequeue();
}

void ScriptedPrompter::error(QWidget *owner, const QString &, const QString &text)
{
    owners << owner;
    calls << QStringLiteral("error: ") + text;
    errors << text;
}

std::unique_ptr<Progress> ScriptedPrompter::progress(QWidget *owner, const QString &title, bool)
{
    owners << owner;
    calls << QStringLiteral("progress: ") + title;
    ++progressShown;
    return std::make_unique<ScriptedProgress>(cancelProgressAfter);
}
