// The floor of the start-up measurement: a Qt Widgets window of the main window's size and
// nothing else, started and measured the same way as the program.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor window"));
    window.move(178, 98);
    window.setFixedSize(314, 127);
    window.show();
    return QApplication::exec();
}
