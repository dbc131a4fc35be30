#include "Prompter.h"

#include "Application.h"
#include "QtPrompter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

// "HTMLファイル(*.htm;*.html)|*.htm;*.html|..." as Qt name filters. The description is kept
// as the user sees it; Qt reads the patterns from the parenthesised list we append, which
// HideNameFilterDetails keeps out of sight.
QStringList nameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // "*.*" means every file, those without a dot in their name too.
        for (QString &pattern : patterns) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        result << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' '))
                + QLatin1Char(')');
    }
    return result;
}

// The forms name the extension as "*.htm" or ".html"; Qt wants the bare suffix.
QString bareSuffix(QString ext)
{
    while (ext.startsWith(QLatin1Char('*')) || ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    return ext;
}

} // namespace

Prompter &defaultPrompter()
{
    static QtPrompter prompter;
    return prompter;
}

void QtPrompter::message(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, Application::title(), text, QMessageBox::Ok, owner);
    box.exec();
}

std::optional<QString> QtPrompter::chooseFile(const FileDialogRequest &request)
{
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    QFileDialog dialog(request.owner, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // As the platform's open dialog, this one takes a name that does not exist yet: the
    // browser's file may be gone after a new list was started.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // The backup path is asked for after a message that says what it is for; the user has
    // chosen it on purpose, and the file-operation service asks before it replaces a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = nameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    dialog.setDefaultSuffix(bareSuffix(request.defaultExt));
    if (!request.fileName.isEmpty()) {
        const QFileInfo proposed(request.fileName);
        if (request.fileName.contains(QLatin1Char('/')))
            dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.constFirst();
}
