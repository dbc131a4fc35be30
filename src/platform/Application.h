#pragma once

#include <QString>

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

} // namespace Application
