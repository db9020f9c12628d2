#pragma once

#include <QString>

// The text with every character that the ANSI code page (windows-31j) cannot write replaced by
// its best fit, so that the converter, with its fallback mappings on, never needs its
// substitution bytes (FC FC, which is no Shift_JIS character at all):
// - the converter's own fallbacks stay (the wave dash U+301C is written as 0x8160);
// - the cent, pound and not signs, which the code page holds only in full width, take that form;
// - a letter with accents is written as its base letter ("ü" as "u");
// - anything else, a lone surrogate included, becomes "?".
QString bestFitForAnsi(const QString &text);
