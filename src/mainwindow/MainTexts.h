#pragma once

#include <QString>

// Captions and messages of the main window.
namespace MainTexts {
inline const QString AppTitle = QStringLiteral("Corvane");

inline const QString MenuFile = QStringLiteral("ファイル(&F)");
inline const QString FileCompareFiles = QStringLiteral("ファイル比較(&O)");
inline const QString FileCompareFolders = QStringLiteral("フォルダ比較(&F)");
inline const QString FileCompare = QStringLiteral("比較(&C)");
inline const QString FileSave = QStringLiteral("比較結果を保存(&S)");
inline const QString FileExit = QStringLiteral("終了(&X)");

inline const QString MenuEdit = QStringLiteral("編集(&E)");
inline const QString EditCopy = QStringLiteral("コピー(&C)");
inline const QString EditSelectColumn = QStringLiteral("１列選択(&R)");
inline const QString EditSelectAll = QStringLiteral("全て選択(&A)");
inline const QString EditPrevious = QStringLiteral("前の差分に移動(&P)");
inline const QString EditNext = QStringLiteral("次の差分に移動(&N)");
inline const QString EditOneLine = QStringLiteral("１行比較(&1)");
inline const QString EditExternal = QStringLiteral("外部エディタで開く(&O)");
inline const QString EditClear = QStringLiteral("クリア(&L)");
inline const QString EditPaste = QStringLiteral("クリップボードの文字を貼り付け(&V)");

inline const QString MenuView = QStringLiteral("表示(&V)");
inline const QString ViewToolbar = QStringLiteral("ツールバー(&T)");
inline const QString ViewStatusbar = QStringLiteral("ステータスバー(&S)");
inline const QString ViewDiffbar = QStringLiteral("差分概要(&D)");
inline const QString ViewRefresh = QStringLiteral("差分概要を更新(&R)");
inline const QString ViewRecursive = QStringLiteral("サブフォルダも比較(&U)");
inline const QString ViewSwap = QStringLiteral("ファイル1、ファイル2入れ替え(&W)");

inline const QString MenuOptions = QStringLiteral("オプション(&O)");
inline const QString OptionsOnTop = QStringLiteral("常に手前に表示(&F)");
inline const QString OptionsDialog = QStringLiteral("オプション画面表示(&O)...");

inline const QString MenuHelp = QStringLiteral("ヘルプ(&H)");
inline const QString HelpReadMe = QStringLiteral("ReadMeを開く(&R)...");
inline const QString HelpHomePage = QStringLiteral("作者のHPへ(&H)");
inline const QString HelpVersion = QStringLiteral("バージョン情報(&V)...");

// Toolbar keys (also the buttons' tooltips).
inline const QString ToolCompareFiles = QStringLiteral("ファイル比較");
inline const QString ToolCompareFolders = QStringLiteral("フォルダ比較");
inline const QString ToolSave = QStringLiteral("比較結果を保存");
inline const QString ToolCompare = QStringLiteral("比較");
inline const QString ToolClear = QStringLiteral("クリア");
inline const QString ToolPrevious = QStringLiteral("前の差分に移動");
inline const QString ToolNext = QStringLiteral("次の差分に移動");
inline const QString ToolOnlyDiff = QStringLiteral("差分のみ表示");
inline const QString ToolBinary = QStringLiteral("バイナリ比較モード");
inline const QString ToolCsv = QStringLiteral("CSVファイルをエクセルで比較する");
inline const QString ToolSettings = QStringLiteral("設定");

inline const QString Path1Label = QStringLiteral("ﾊﾟｽ1");
inline const QString Path2Label = QStringLiteral("ﾊﾟｽ2");
inline const QString BrowseButtonTip =
    QStringLiteral("左クリック=ファイルを開く、右クリック=フォルダを開く");
inline const QString LegendChanged = QStringLiteral("変更");
inline const QString LegendAdded = QStringLiteral("追加");
inline const QString LegendDeleted = QStringLiteral("削除");
inline const QString LegendTip = QStringLiteral("クリックで色を変更できます");

inline const QString PickFile1 = QStringLiteral("ファイル１選択");
inline const QString PickFile2 = QStringLiteral("ファイル２選択");
inline const QString PickFolder1 = QStringLiteral("フォルダ１選択");
inline const QString PickFolder2 = QStringLiteral("フォルダ２選択");
inline const QString OpenFile = QStringLiteral("ファイルを開く");
inline const QString BrowseFolder = QStringLiteral("フォルダの参照");
inline const QString AllFilesFilter = QStringLiteral("すべてのファイル(*.*) (*)");

inline const QString EndReached = QStringLiteral("終端まで検索しました");
inline const QString OpeningFile = QStringLiteral("ファイルを開きます");
inline const QString ColoursChanged =
    QStringLiteral("配色変更を行いました。再比較をして比較結果を更新してください");
inline const QString DrawingDiffbar = QStringLiteral("差分概要を描画中...");
inline const QString Done = QStringLiteral("完了");
// A long command (saving, the sheet comparison, coloured copies) that ended on a failure.
inline const QString CommandFailed = QStringLiteral("処理できませんでした: ");
inline const QString EditorFailed = QStringLiteral("エディタを起動できませんでした: ");

inline const QString SaveTitle = QStringLiteral("名前を付けて保存");
} // namespace MainTexts
