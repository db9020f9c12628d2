#pragma once

#include "engine/LineMatching.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// What a text comparison may ignore beyond letter case. With all of it off (the default) lines
// are matched and judged by their exact text, as ever.
struct LineFolding {
    enum Space { KeepSpace = 0, SpaceAmount = 1, AllSpace = 2 };
    int space = KeepSpace;   // setting IgnoreSpace
    bool blankLines = false; // setting IgnoreBlankLines: blank lines neither pair nor count
    bool width = false;      // setting IgnoreWidth: full-width and half-width forms are equal
    bool kana = false;       // setting IgnoreKana: hiragana and katakana are equal
    bool letterCase = false; // setting Letter; part of the key only when something else is on

    bool active() const { return space != KeepSpace || blankLines || width || kana; }
    bool operator==(const LineFolding &) const = default;
};

// The text a line is matched and judged by: white space collapsed or removed, full-width
// ASCII and half-width katakana folded to their usual width, hiragana as katakana, letters in
// one case — each as the folding asks.
QString comparisonKey(const QString &line, const LineFolding &folding);

// A line with nothing but white space.
bool isBlankLine(const QString &line);

// matchLinesGuarded (matchLinesMinimal with `minimal`) over the comparison keys of the lines. With
// blank lines ignored they stay out of the matching and come back as rows of their own, in their
// place, beside no line.
bool matchFoldedLines(const QStringList &left, const QStringList &right, const LineFolding &folding,
                      const MatchParams &params, bool minimal, PairTable &table,
                      const std::function<bool()> &shouldAbort = {},
                      const std::function<void(qint64 done, qint64 total)> &progress = {});
