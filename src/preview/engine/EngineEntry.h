#pragma once

// What the engine module exports; the program checks the interface version before it asks
// for a control, so a module left from another build is refused instead of misused.

class QWidget;
class TBrowserControl;

inline constexpr int EngineInterfaceVersion = 1;

extern "C" {
using EngineVersionFunction = int (*)();
using EngineCreateFunction = TBrowserControl *(*)(QWidget *parent);
}
