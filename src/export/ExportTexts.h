#pragma once

#include <QString>

// User-visible texts of the result export and the save command.
namespace ExportTexts {

// Title of the state-word columns of a CSV file.
inline const QString CsvStateTitle = QStringLiteral("差分結果");

inline const QString StateChanged = QStringLiteral("CHG");
inline const QString StateAdded = QStringLiteral("ADD");
inline const QString StateDeleted = QStringLiteral("DEL");
// A folder row whose comparison did not finish before the run was stopped.
inline const QString StateNotCompared = QStringLiteral("未比較");

inline const QString NotForSheets = QStringLiteral("エクセル比較では使用できない機能です");
inline const QString Saving = QStringLiteral("保存中です...");
inline const QString Saved = QStringLiteral("保存が完了しました");
inline const QString NoPath = QStringLiteral("保存先のファイル名がありません");
// %1: the output path.
inline const QString SaveFailed = QStringLiteral("保存できませんでした: %1");
// Appended to SaveFailed when the cause is known; %1: the cause.
inline const QString FailureCause = QStringLiteral(" (%1)");
// Causes of a failed save that are not the system's.
inline const QString NotEncodable = QStringLiteral("文字コードに変換できません");
inline const QString TooManyRows = QStringLiteral("ワークシートの行数を超えています");
inline const QString WorkbookFailed = QStringLiteral("ブックを書き出せません");

} // namespace ExportTexts
