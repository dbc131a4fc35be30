#pragma once

#include <QCursor>

// The program's numbered cursor list. Components put the cursors they load from resources
// here under a number and show them by that number.
namespace Screen {

// Puts `cursor` under `index`, replacing the one held there before.
void setCursor(int index, const QCursor &cursor);
// Empties the entry under `index`.
void removeCursor(int index);
// The cursor under `index`; the default arrow where the entry is empty.
QCursor cursor(int index);
bool hasCursor(int index);

} // namespace Screen
