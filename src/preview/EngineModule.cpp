#include "EngineModule.h"

#include "Application.h"
#include "engine/EngineEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLibrary>
#include <QOpenGLContext>
#include <QtGui/private/qopenglcontext_p.h>

#include <map>

namespace {

// A loaded module stays loaded: Chromium cannot be unloaded from a running process.
struct LoadedModule {
    QLibrary library;
    EngineCreateFunction create = nullptr;
};

// Chromium draws into GL contexts that must share with the preview window's. Qt WebEngine
// makes that shared context itself only when it is linked into the program and so starts with
// it; loaded later, it expects one to exist. Making it here, on the first preview, keeps the
// cost of the GL driver out of the program's start.
void provideSharedGLContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    static QOpenGLContext *shared = [] {
        auto *context = new QOpenGLContext(qGuiApp);
        context->setFormat(QSurfaceFormat::defaultFormat());
        context->create();
        return context;
    }();
    qt_gl_set_global_share_context(shared);
}

// Loads the module once per path; the reason it cannot be used, or its entry point.
EngineCreateFunction loadModule(const QString &path, QString &whyNot)
{
    static std::map<QString, LoadedModule> modules;
    LoadedModule &module = modules[path];
    if (module.create)
        return module.create;
    provideSharedGLContext();
    module.library.setFileName(path);
    module.library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!module.library.load()) {
        whyNot = module.library.errorString();
        return nullptr;
    }
    const auto version = reinterpret_cast<EngineVersionFunction>(
        module.library.resolve("vantrelle_engine_version"));
    const auto create = reinterpret_cast<EngineCreateFunction>(
        module.library.resolve("vantrelle_create_browser"));
    if (!version || !create || version() != EngineInterfaceVersion) {
        whyNot = QStringLiteral("%1 は別のバージョンのモジュールです。").arg(path);
        return nullptr;
    }
    module.create = create;
    return create;
}

} // namespace

BrowserFactory EngineFactory(const QString &folder)
{
    return [folder](QWidget *parent) -> std::unique_ptr<TBrowserControl> {
        const QString dir = folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
        const QString path = QDir(dir).filePath(QString::fromLatin1(EngineModuleName));
        QString whyNot;
        const EngineCreateFunction create = loadModule(path, whyNot);
        if (!create) {
            Application::showError(
                QStringLiteral("プレビューを表示できません。\n%1").arg(whyNot));
            return nullptr;
        }
        return std::unique_ptr<TBrowserControl>(create(parent));
    };
}
