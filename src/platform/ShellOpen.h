#pragma once

#include <QString>
#include <QUrl>

// Opens `target` with the program the desktop associates with it: a web address (one with a
// scheme, or one starting with "www.") in the browser, a bare e-mail address in the mail
// program, anything else as the desktop opens it (a local path as that file). Silent: a
// target that nothing can open opens nothing, and nobody is told.
void ShellOpen(const QString &target);

// What ShellOpen hands to the desktop for `target`; empty where it opens nothing.
QUrl ShellOpenUrl(const QString &target);
