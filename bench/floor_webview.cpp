// The floor of the preview measurements: a plain QWebEngineView, default profile and
// settings, showing one file in a window of the preview's size.
//
//   vbench-floor-webview FILE

#include <QApplication>
#include <QFileInfo>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QWebEngineView view;
    view.setWindowTitle(QStringLiteral("floor web"));
    view.setGeometry(500, 98, 280, 330);
    view.load(QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath()));
    view.show();
    return QApplication::exec();
}
