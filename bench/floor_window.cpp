// The floor of the start-up measurement: a Qt Widgets window of the main window's size and
// nothing else, started and measured the same way as the program. With --text it also shows
// one line of Japanese in the form's font, which is what any window with text pays on top:
// the font configuration read and a Japanese font opened.

#include "FormFont.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor window"));
    window.move(178, 98);
    window.setFixedSize(314, 127);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
        auto *label = new QLabel(QStringLiteral("コピー元のBookmarkを選択してください。"), &window);
        label->setFont(FormFont());
        label->move(8, 24);
    }
    window.show();
    return QApplication::exec();
}
