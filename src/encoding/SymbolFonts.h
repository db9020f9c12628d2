#pragma once

#include <QString>
#include <QStringView>

// Characters of the symbol fonts (Symbol, Wingdings) as their Unicode characters. A document
// stores such a character as the font's own code, 0x20–0xFF, often moved up to 0xF020–0xF0FF,
// and the font's name; shown in any other font that code is a different letter ("(" for "°").
// Returns the Unicode text for code in the named font (compared without case), the
// private-use character U+F0xx that the word processors use for a code the table lacks, or
// nothing for a font that is no symbol font.
QString symbolFontText(QStringView font, char16_t code);
