#pragma once

// Making and reading the files a test works on.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTest>

#include <sys/stat.h>

// Writes `bytes` to `path`, as QFile creates a file: its mode comes from the umask.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Writes `bytes` to `path`, making its folder where there is none, and gives the file
// `mode` whatever the umask.
inline void put(const QString &path, const QByteArray &bytes, mode_t mode = 0644)
{
    QDir().mkpath(QFileInfo(path).path());
    writeFile(path, bytes);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

// What the file holds, or "<missing>" when it cannot be read, which no test writes.
inline QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The permission bits of the file at `path`, through links; 0 when there is none.
inline mode_t modeOf(const QString &path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The names in a folder, hidden ones included, sorted. `also` adds kinds, such as
// QDir::System for pipes, sockets and links that lead nowhere.
inline QStringList entries(const QString &folder, QDir::Filters also = {})
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | also, QDir::Name);
}
