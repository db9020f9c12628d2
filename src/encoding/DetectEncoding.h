#pragma once

#include <QByteArray>
#include <QString>

// Names of the six encodings that detection answers with and decoding understands.
namespace EncodingName {
inline const QString Sjis = QStringLiteral("SJIS");
inline const QString Jis = QStringLiteral("JIS");
inline const QString Euc = QStringLiteral("EUC");
inline const QString Utf8 = QStringLiteral("UTF8");
inline const QString Utf7 = QStringLiteral("UTF7");
inline const QString Unicode = QStringLiteral("UNICODE");
} // namespace EncodingName

// Classifies raw bytes as one of the six encodings by scoring a bounded window of the buffer
// (its head and tail). A byte-order mark or a Japanese escape sequence settles it at once;
// then zero bytes at odd indexes only mean UTF-16LE, and seven-bit bytes without a zero byte
// are never UTF-16.
QString DetectEncoding(const QByteArray &bytes);

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
