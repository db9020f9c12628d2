#pragma once

#include "encoding/DecodeText.h"

#include <QString>

// What the status says about how a side's text file was read, and why two files whose texts
// are equal have different bytes.

// For a side (0 left, 1 right) read in an encoding the user named: "左を EUC-KR で表示しています";
// for one that no encoding of detection reads whole: "文字コードを判別できません: " and the
// same words; empty otherwise.
QString encodingNote(int side, const DecodedText &found);

// For two files whose texts are equal: "改行コードのみ異なります (CRLF / LF)" when their line
// ends differ, "文字コードのみ異なります (Shift_JIS / UTF-8)" when their encodings or byte-order
// marks do, "文字コードと改行コードのみ異なります (CRLF / LF)" when both do; empty when neither
// is known to differ. `lineBreaks` is the number of line breaks of each text.
QString sameTextRemark(const DecodedText &left, qsizetype leftBreaks, const DecodedText &right,
                       qsizetype rightBreaks);
