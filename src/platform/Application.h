#pragma once

#include <QString>

#include <functional>

class QWidget;

// What the program body records about itself: its title, used as the caption of every
// plain message box, and its main form, the owner of the file-operation dialogs.
namespace Application {

void setTitle(const QString &title);
QString title();

// The first form registered becomes the main form; later calls change nothing, so the
// main window keeps that role whatever is created after it.
void registerForm(QWidget *form);
QWidget *mainForm();
// For tests that build several main windows in one process.
void resetMainForm();

// The executable's full path, as the system reports it. Tests point it elsewhere (into a
// temporary folder) so that what is kept beside the executable is kept there.
QString exeName();
void setExeNameForTests(const QString &path);

// The application's default error box: a failure that no handler catches ends up here and
// is shown to the user, captioned with the title. Tests record the messages instead.
void showError(const QString &message);
void setErrorHandlerForTests(std::function<void(const QString &)> handler);

} // namespace Application
