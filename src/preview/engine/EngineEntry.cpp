#include "EngineEntry.h"
#include "WebEngineBrowser.h"

extern "C" Q_DECL_EXPORT int vantrelle_engine_version()
{
    return EngineInterfaceVersion;
}

// The caller owns the control.
extern "C" Q_DECL_EXPORT TBrowserControl *vantrelle_create_browser(QWidget *parent)
{
    return WebEngineBrowser::create(parent).release();
}
