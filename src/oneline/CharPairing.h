#pragma once

#include <QList>
#include <QString>

// Character-by-character comparison of one pair of lines, as the one-line comparison window
// shows it. Characters are paired by position and displayed width, not by a best alignment:
// after a width mismatch, characters of the narrower side are consumed until both sides have
// covered the same width again.

// How a run of characters of one line is marked.
enum class CharMark {
    Changed, // differs from its counterpart, or stands against a character of another width
    Added,   // has no counterpart: the other line ended
};

// A run of marked characters, in UTF-16 code units within its own line.
struct MarkedRun {
    int start = 0;
    int length = 0;
    CharMark mark = CharMark::Changed;

    bool operator==(const MarkedRun &) const = default;
};

// The marked runs of both lines, in ascending order; adjacent characters with the same mark
// form one run. Unmarked characters match their counterparts.
struct CharPairing {
    QList<MarkedRun> left;
    QList<MarkedRun> right;
};

// Displayed width, in half-width units, of character c starting at display column `column`
// of its line: a tab reaches the next multiple of 8; East Asian wide and full-width characters
// take 2, and so do ambiguous-width characters that the ANSI code page (windows-31j) stores in
// two bytes, as Japanese text shows them; everything else takes 1.
int CharWidth(char32_t c, int column);
// The same for the first character of a text (0 for the empty text).
int CharWidth(const QString &character, int column);

// Pairs the characters of two lines. With ignoreCase, characters are lower-cased before they
// are compared and measured. Characters are whole code points: a surrogate pair is never
// split, so a run may cover two code units per character.
CharPairing pairCharacters(const QString &left, const QString &right, bool ignoreCase);
