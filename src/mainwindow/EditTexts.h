#pragma once

#include <QString>

// Captions, help texts and messages of the commands that edit the two texts.
namespace EditTexts {
inline const QString CopyLeft = QStringLiteral("左へコピー(&H)");
inline const QString CopyRight = QStringLiteral("右へコピー(&M)");
inline const QString CopyAllLeft = QStringLiteral("すべて左へコピー");
inline const QString CopyAllRight = QStringLiteral("すべて右へコピー");
inline const QString Undo = QStringLiteral("元に戻す(&U)");
inline const QString Redo = QStringLiteral("やり直し(&Y)");
inline const QString EditCurrentLine = QStringLiteral("行を編集(&E)");
inline const QString InsertLine = QStringLiteral("行を挿入(&I)");
inline const QString DeleteLines = QStringLiteral("行を削除(&D)");
inline const QString PasteLines = QStringLiteral("行として貼り付け(&T)");
inline const QString SaveLeft = QStringLiteral("左を保存");
inline const QString SaveRight = QStringLiteral("右を保存");
inline const QString SaveAs = QStringLiteral("名前を付けて保存...");
inline const QString ToClipboard = QStringLiteral("クリップボードへコピー");

inline const QString CopyLeftHelp =
    QStringLiteral("カーソル位置（選択範囲）の差分を右から左のファイルへコピーします");
inline const QString CopyRightHelp =
    QStringLiteral("カーソル位置（選択範囲）の差分を左から右のファイルへコピーします");
inline const QString CopyAllLeftHelp = QStringLiteral("右のテキスト全体を左へコピーします");
inline const QString CopyAllRightHelp = QStringLiteral("左のテキスト全体を右へコピーします");
inline const QString UndoHelp = QStringLiteral("直前の編集を元に戻します");
inline const QString RedoHelp = QStringLiteral("元に戻した編集をやり直します");
inline const QString EditCurrentLineHelp = QStringLiteral("カーソル位置の行を編集します");
inline const QString InsertLineHelp = QStringLiteral("カーソル位置の前に空の行を挿入します");
inline const QString DeleteLinesHelp = QStringLiteral("選択している行を削除します");
inline const QString PasteLinesHelp =
    QStringLiteral("クリップボードのテキストをカーソル位置の前に行として挿入します");
inline const QString SaveLeftHelp = QStringLiteral("編集した左のファイルを保存します");
inline const QString SaveRightHelp = QStringLiteral("編集した右のファイルを保存します");
inline const QString SaveAsHelp =
    QStringLiteral("カーソルのある側のテキストを名前を付けて保存します");
inline const QString ToClipboardHelp =
    QStringLiteral("カーソルのある側のテキストをクリップボードにコピーします");

inline const QString NotEditable =
    QStringLiteral("この比較結果は編集できません (編集できるのは２つのテキストファイルの比較です)");
inline const QString AskSave = QStringLiteral("変更を保存しますか");
inline const QString AskSaveButton = QStringLiteral("保存");
inline const QString AskDiscardButton = QStringLiteral("保存しない");
inline const QString AskCancelButton = QStringLiteral("キャンセル");
inline const QString Saved = QStringLiteral("保存しました: %1");
inline const QString NothingToSave = QStringLiteral("保存する変更はありません");
inline const QString ClipboardSideNoFile = QStringLiteral(
    "クリップボードのテキストはファイルではありません。「名前を付けて保存」で保存してください");
inline const QString CannotEncode =
    QStringLiteral("%1 の文字コード (%2) では保存できない文字があります (%3 行目の「%4」)。"
                   "UTF-8 で保存しますか");
inline const QString SaveAsUtf8Button = QStringLiteral("UTF-8 で保存");
inline const QString ChangedOnDisk =
    QStringLiteral("%1 は読み込んだ後に変更されています。上書きしますか");
inline const QString OverwriteButton = QStringLiteral("上書き保存");
inline const QString CompareAgainButton = QStringLiteral("再比較");
inline const QString SaveFailed = QStringLiteral("保存できませんでした: %1");
inline const QString OkButton = QStringLiteral("OK");
inline const QString CopiedToClipboard = QStringLiteral("クリップボードへコピーしました");
} // namespace EditTexts
