#include "Cursors.h"

#include <QCoreApplication>

#include <map>

namespace {

std::map<int, QCursor> &cursors()
{
    static std::map<int, QCursor> list;
    return list;
}

// The cursors hold pixmaps, which should go while the application object still exists
// rather than with the other statics at exit.
void clearCursors()
{
    cursors().clear();
}

} // namespace

namespace Screen {

void setCursor(int index, const QCursor &cursor)
{
    static const bool cleanupRegistered = [] {
        qAddPostRoutine(clearCursors);
        return true;
    }();
    Q_UNUSED(cleanupRegistered);
    cursors().insert_or_assign(index, cursor);
}

void removeCursor(int index)
{
    cursors().erase(index);
}

QCursor cursor(int index)
{
    const auto it = cursors().find(index);
    return it != cursors().end() ? it->second : QCursor(Qt::ArrowCursor);
}

bool hasCursor(int index)
{
    return cursors().contains(index);
}

} // namespace Screen
