#pragma once

#include "engine/LineKeys.h"

#include <QList>
#include <QStringView>

// Which characters of a changed pair of lines differ: a character-level diff of the two lines
// (common start and end first, then a Myers diff of the rest), tidied so that a change does
// not break up into single characters around a chance match. The work per pair is capped: past
// the cap, everything between the common start and end counts as changed, so even a
// 100,000-character line takes well under a millisecond beyond reading it once.

// A run of differing characters, in UTF-16 code units within its own line.
struct CharSpan {
    int start = 0;
    int length = 0;

    bool operator==(const CharSpan &) const = default;
};

// The differing runs of each line, ascending and never adjacent.
struct LineMarks {
    QList<CharSpan> left;
    QList<CharSpan> right;

    bool operator==(const LineMarks &) const = default;
};

// Characters are compared as the line matching compares lines: with letter case, character
// width and kana folded character by character as `folding` asks, white space left out
// (AllSpace) or a run of it taken as one space (SpaceAmount, where trailing white space never
// counts). Surrogate pairs are one character.
LineMarks diffCharacters(QStringView left, QStringView right, const LineFolding &folding = {});
