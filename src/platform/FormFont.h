#pragma once

#include <QFont>

// The forms' font: "ＭＳ Ｐゴシック", 12-pixel characters. Where that face is missing (every
// Linux desktop) the named Japanese faces stand in, in this order; fontconfig alone would
// hand a face without Japanese glyphs.
QFont FormFont();
