#pragma once

#include "encoding/EncodingNames.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Classifies raw bytes as one of the six encodings by scoring a bounded window of the buffer
// (its head and tail). A byte-order mark or a Japanese escape sequence settles it at once (a
// UTF-16BE or UTF-32 mark at the start gives "UTF16BE" or "UTF32"); then zero bytes at odd
// indexes only, or far more often there than at even ones, mean UTF-16LE, the reverse means
// UTF-16BE, and seven-bit bytes without a zero byte are never UTF-16.
QString DetectEncoding(const QByteArray &bytes);

// The encodings to try in turn when the bytes are decoded: DetectEncoding's answer first, then
// the other encodings of detection by falling score (UTF-16 left out: nearly any bytes read
// as UTF-16). Only the answer when a byte-order mark at the start settled it.
QStringList DetectEncodingCandidates(const QByteArray &bytes);

// The byte-order mark the bytes start with, for the encoding name (empty when there is none).
QByteArray leadingByteOrderMark(const QByteArray &bytes, const QString &encoding);

// The scorers, exposed for tests. `a` is the window bound min(last index, 1999).
// Each returns a percentage-like score, or 9999 for a definitive answer.
namespace modJudge {
constexpr qint16 Definitive = 9999;
qint16 ScoreJis(const QByteArray &bytes, int a);
qint16 ScoreUnicode(const QByteArray &bytes, int a);
qint16 ScoreUtf8(const QByteArray &bytes, int a);
qint16 ScoreUtf7(const QByteArray &bytes, int a);
qint16 ScoreSjis(const QByteArray &bytes, int a);
qint16 ScoreEuc(const QByteArray &bytes, int a);
} // namespace modJudge
