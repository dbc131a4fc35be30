#pragma once

#include "WebBrowser.h"

#include <QString>

// The web engine is a module of its own, loaded when the first preview is made: a run that
// never shows a preview never loads Chromium, and the main window does not wait for it.

// The module's file name, found in the program's folder.
inline constexpr char EngineModuleName[] = "vantrelle-webengine.so";

// Browser controls from the module in `folder` (the program's folder when empty). A control
// that cannot be made (module missing or from another build) is reported once per attempt
// with Application::showError and comes back null.
BrowserFactory EngineFactory(const QString &folder = {});
