#include "Main.h"
#include "Application.h"
#include "Version.h"
#include "preview.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrelle"));
    QApplication::setApplicationVersion(QStringLiteral("1.20"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vantrelle"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vantrelle/app.xpm")));
    Application::setTitle(QStringLiteral("Vantrelle Ver1.20"));

    // The program speaks Japanese, and so should Qt's own dialogs and buttons.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    auto mainForm = std::make_unique<TMainForm>();
    MainForm = mainForm.get();
    Application::registerForm(MainForm);
    auto versionForm = std::make_unique<TVersionForm>();
    VersionForm = versionForm.get();
    auto previewForm = std::make_unique<TPreviewForm>(MainForm);
    PreviewForm = previewForm.get();

    MainForm->show();
    const int result = QApplication::exec();

    PreviewForm = nullptr;
    VersionForm = nullptr;
    MainForm = nullptr;
    return result;
}
