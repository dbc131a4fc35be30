#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The framework's readers of numbers and lists in text, as the settings and the saved window
// bounds are read back.

// A whole text as a 32-bit integer: blanks (characters up to and including the space) may
// lead; then an optional '-' or '+'; then decimal digits, or '$' and hexadecimal digits.
// Nothing may follow. Decimal values must fit (-2147483648 does); hexadecimal ones may use
// all 32 bits, 80000000..FFFFFFFF standing for the negative values, and a sign before the
// '$' negates that bit pattern. Anything else is no integer.
std::optional<qint32> StrToInt(const QString &text);

// The items of a comma text. Blanks (characters up to and including the space) before and
// after an item are skipped. An item is a quoted text, in which a doubled quote stands for one
// quote, or a run of characters that are neither blanks nor commas. Items are separated by a
// comma, by blanks, or by both; two commas in a row enclose an empty item, and a comma at the
// very end adds none. A quote that is never closed runs to the end of the text.
QStringList CommaTextSplit(const QString &text);
