#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <optional>

// A broken promise is a crash to libFuzzer: it keeps the input and stops, as for a fault the
// sanitizers find.
#define FUZZ_CHECK(cond)                                                                         \
    do {                                                                                         \
        if (!(cond)) {                                                                           \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);       \
            std::abort();                                                                        \
        }                                                                                        \
    } while (false)

// The same, with the two values compared shown.
#define FUZZ_CHECK_EQ(actual, expected)                                                          \
    do {                                                                                         \
        if (!((actual) == (expected))) {                                                         \
            std::fprintf(stderr, "%s:%d: check failed: %s == %s\n  actual:   %s\n  expected: %s\n", \
                __FILE__, __LINE__, #actual, #expected, fuzzShow(actual).constData(),            \
                fuzzShow(expected).constData());                                                 \
            std::abort();                                                                        \
        }                                                                                        \
    } while (false)

inline QByteArray fuzzShow(const QByteArray &bytes)
{
    return '"' + bytes.toPercentEncoding(" !#$&'()*+,-./:;<=>?@[]^_`{|}~") + '"';
}
inline QByteArray fuzzShow(const QString &text)
{
    return fuzzShow(text.toUtf8());
}
inline QByteArray fuzzShow(const QStringList &list)
{
    QByteArray out = "[";
    for (const QString &item : list)
        out += (out.size() > 1 ? ", " : "") + fuzzShow(item);
    return out + ']';
}
inline QByteArray fuzzShow(const QList<QByteArray> &list)
{
    QByteArray out = "[";
    for (const QByteArray &item : list)
        out += (out.size() > 1 ? ", " : "") + fuzzShow(item);
    return out + ']';
}
template<typename T>
QByteArray fuzzShow(const T &value)
{
    return QByteArray::number(value);
}
template<typename T>
QByteArray fuzzShow(const std::optional<T> &value)
{
    return value ? fuzzShow(*value) : QByteArray("none");
}
