#pragma once

#include <QString>

// Texts that the comparison shows in the grids' headers and in status panel 1.
namespace EngineTexts {
inline const QString LineNumberHeader = QStringLiteral("行数");
inline const QString TextHeader = QStringLiteral("本文");
inline const QString File1Header = QStringLiteral("ファイル1");
inline const QString File2Header = QStringLiteral("ファイル2");
inline const QString AddressHeader = QStringLiteral("アドレス");
inline const QString ByteColumnsHeader =
    QStringLiteral("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
inline const QString FileNameHeader = QStringLiteral("ファイル名");
inline const QString SizeHeader = QStringLiteral("サイズ");
inline const QString TypeHeader = QStringLiteral("種類");
inline const QString DateHeader = QStringLiteral("更新日付");

inline const QString SamePaths = QStringLiteral("パス１とパス２が同じです");
inline const QString Loading = QStringLiteral("ファイル展開中です... (Escキー長押しで中断)");
inline const QString Analysing = QStringLiteral("解析中です... (Escキー長押しで中断)");
inline const QString Done = QStringLiteral("完了");
inline const QString DiffCountLabel = QStringLiteral("     不一致行=");
inline const QString LeftOnlyLabel = QStringLiteral("  左のみ存在=");
inline const QString RightOnlyLabel = QStringLiteral("  右のみ存在=");
// A run the user stopped: its summary says so instead of "完了", with the counts so far.
inline const QString Aborted = QStringLiteral("中断しました");
// Folder rows whose comparison did not finish before the stop.
inline const QString NotComparedLabel = QStringLiteral("  未比較=");

// Our additions: a side that could not be read says so instead of passing for empty.
inline const QString CannotRead = QStringLiteral("読み込めません: ");
// A file beyond MaxComparedFileBytes (encoding/Charset.h).
inline const QString TooLargeToRead = QStringLiteral("1 GB を超えるファイルは比較できません: ");
// A run that ended on an internal failure names it instead of passing for finished.
inline const QString RunFailed = QStringLiteral("比較できませんでした: ");
inline const QString OutOfMemory = QStringLiteral("メモリが足りません");
inline const QString UnknownError = QStringLiteral("不明なエラー");
// The system would not start a thread for the work.
inline const QString NoThread = QStringLiteral("作業用のスレッドを開始できません");
// Two given sources that a run shows one at a time instead of comparing them (%1, %2: kinds).
inline const QString NotCompared = QStringLiteral("この組み合わせは比較できません: %1 と %2");
} // namespace EngineTexts

// The word in a path box that names the clipboard text stored for that side.
inline const QString ClipboardWord = QStringLiteral("Clipboard");
