#include "Application.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace {
QString g_title;
QPointer<QWidget> g_mainForm;
QString g_exeName;
std::function<void(const QString &)> g_errorHandler;
} // namespace

namespace Application {

void setTitle(const QString &title)
{
    g_title = title;
}
QString title()
{
    return g_title;
}

void registerForm(QWidget *form)
{
    if (!g_mainForm)
        g_mainForm = form;
}

QWidget *mainForm()
{
    return g_mainForm;
}
void resetMainForm()
{
    g_mainForm = nullptr;
}

QString exeName()
{
    return g_exeName.isEmpty() ? QCoreApplication::applicationFilePath() : g_exeName;
}

void setExeNameForTests(const QString &path)
{
    g_exeName = path;
}

void showError(const QString &message)
{
    if (g_errorHandler) {
        g_errorHandler(message);
        return;
    }
    // A main window that is closing or going away is no parent for a dialog.
    QWidget *owner = g_mainForm && g_mainForm->isVisible() ? g_mainForm.data() : nullptr;
    QMessageBox::critical(owner, g_title, message);
}

void setErrorHandlerForTests(std::function<void(const QString &)> handler)
{
    g_errorHandler = std::move(handler);
}

} // namespace Application
