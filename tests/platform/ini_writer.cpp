// Writes the settings file over and over until it is killed: the tests kill it at random
// moments to show that a crash never leaves a half-written file.
#include "IniFile.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const TIniFile ini(QString::fromLocal8Bit(argv[1]));
    const int size = QByteArray(argv[2]).toInt();
    const QString values[] = {QString(size, QLatin1Char('A')), QString(size, QLatin1Char('B'))};
    for (int i = 0;; i ^= 1) {
        if (!ini.WriteString(QStringLiteral("Files"), QStringLiteral("Value"), values[i]).ok)
            return 1;
    }
}
