#pragma once

#include <QString>

// Captions, tooltips and messages of the options dialog.
namespace OptionTexts {
inline const QString Caption = QStringLiteral("Corvane オプション");

inline const QString FrameGeneral = QStringLiteral("全般");
inline const QString FrameText = QStringLiteral("テキスト比較");
inline const QString FrameDoubleClick = QStringLiteral("ダブルクリック時の動作");
inline const QString FrameFolder = QStringLiteral("フォルダ比較");
inline const QString FrameExcel = QStringLiteral("Excel比較");

inline const QString FontSizeLabel = QStringLiteral("フォントサイズ");
inline const QString ColoursLabel = QStringLiteral("差分の配色");
inline const QString StateChanged = QStringLiteral("変更");
inline const QString StateAdded = QStringLiteral("追加");
inline const QString StateDeleted = QStringLiteral("削除");

inline const QString EditorLabel = QStringLiteral("外部エディタ");
inline const QString EditorTip = QStringLiteral("テキストエディタのパスを入力して下さい");
inline const QString BinaryEditorLabel = QStringLiteral("外部エディタ (バイナリ)");
inline const QString BinaryEditorTip = QStringLiteral("バイナリエディタのパスを入力して下さい");
// The example is this platform's: the default command, and an editor that takes a line.
#ifdef Q_OS_WIN
inline const QString EditorHint = QStringLiteral(
    "ファイルパス：%F、行数：%L\n(例) C:\\Program Files\\Hidemaru\\Hidemaru.exe /j%L %F");
#else
inline const QString EditorHint =
    QStringLiteral("ファイルパス：%F、行数：%L\n(例) xdg-open %F　　gedit +%L %F");
#endif
inline const QString Browse = QStringLiteral("...");

inline const QString Wrap = QStringLiteral("折り返しモード");
inline const QString WrapTip = QStringLiteral("セル内の文字を折り返して全体表示します");
inline const QString IgnoreCase = QStringLiteral("大文字/小文字を区別しない");
inline const QString Minimal = QStringLiteral("最小差分で比較");
inline const QString MinimalTip =
    QStringLiteral("行の対応付けに最小差分のアルゴリズムを使う (大きく並べ替えたテキスト向け)");
inline const QString InlineDiff = QStringLiteral("変更箇所を強調表示");
inline const QString InlineDiffTip =
    QStringLiteral("変更行の中で異なる文字を濃い色で示す (画面・HTML・Excel)");
inline const QString Backup = QStringLiteral("バックアップを作成");
inline const QString BackupTip =
    QStringLiteral("編集したテキストを保存するとき、元のファイルを「ファイル名.bak」として残す");
inline const QString FrameIgnore = QStringLiteral("比較で無視する違い");
inline const QString IgnoreSpaceLabel = QStringLiteral("空白:");
inline const QString KeepSpace = QStringLiteral("区別する");
inline const QString IgnoreSpaceAmount = QStringLiteral("量の違いを無視");
inline const QString IgnoreAllSpace = QStringLiteral("すべて無視");
inline const QString IgnoreBlankLines = QStringLiteral("空行を無視");
inline const QString IgnoreWidth = QStringLiteral("全角/半角を同一視");
inline const QString IgnoreWidthTip =
    QStringLiteral("全角と半角の英数字・記号・カタカナを同じ文字として比較する");
inline const QString IgnoreKana = QStringLiteral("かな/カナを同一視");
inline const QString IgnoreKanaTip = QStringLiteral("ひらがなとカタカナを同じ文字として比較する");
inline const QString IgnoreCaseTip = QStringLiteral("大文字/小文字の違いを差分として出力しない");
inline const QString OpenInEditor = QStringLiteral("外部エディタで開く");
inline const QString OneLine = QStringLiteral("一行比較");

inline const QString Content = QStringLiteral("ファイル内容も比較");
inline const QString ContentTip = QStringLiteral(
    "ファイルの内容も軽く比較します。1MB以上のファイルが多くあると比較に時間がかかります");
inline const QString ContentText = QStringLiteral("ファイル内容も比較(テキスト)");
inline const QString ContentTextTip =
    QStringLiteral("ファイルの内容をテキストとして比較します（低速）");
inline const QString Multi = QStringLiteral("多重起動での比較を行う");
inline const QString Recursive = QStringLiteral("サブフォルダも比較");
inline const QString RecursiveTip =
    QStringLiteral("フォルダ比較でサブフォルダの中まですべての階層を比較する");
inline const QString ExcludeLabel = QStringLiteral("除外する名前:");
inline const QString ExcludeTip = QStringLiteral(
    "比較しないファイル・フォルダの名前 (; で区切る、* と ? が使える) 例: .git;*.o;node_modules");
inline const QString MultiTip =
    QStringLiteral("下位フォルダなどを比較する際にCorvaneを多重起動させます");
inline const QString OpenFile = QStringLiteral("ファイルを開く");
inline const QString OpenFileTip = QStringLiteral("ファイルを開く。フォルダはエクスプローラで開く");
inline const QString OneLineTip =
    QStringLiteral("Corvaneを多重起動して選択ファイルのテキスト比較を行います");

inline const QString ZoomLabel = QStringLiteral("Excelのズーム");
inline const QString ZoomTip = QStringLiteral("Excel比較時に表示される表の拡大率");
inline const QString SheetAlignRows = QStringLiteral("行の挿入・削除を検出");
inline const QString SheetAlignRowsTip = QStringLiteral(
    "行の内容で左右の行を対応付けてから比較します (挿入した行が1行の追加として表示されます)");

inline const QString SheetDigitsLabel = QStringLiteral("数値の比較桁数");
inline const QString SheetDigitsTip =
    QStringLiteral("数値を比較する有効桁数 (15桁: 表計算ソフトの表示と同じ桁で比較します)");
inline const QString AllDigits = QStringLiteral("すべて");
inline const QString SheetFormulas = QStringLiteral("数式も比較");
inline const QString SheetFormulasTip =
    QStringLiteral("値が同じでも数式が変わったセルを差分とし、結果のない数式は数式で比較します");

inline const QString Ok = QStringLiteral("OK");
inline const QString Apply = QStringLiteral("適用");
inline const QString Cancel = QStringLiteral("キャンセル");
inline const QString Initialise = QStringLiteral("初期化");
inline const QString InitialiseTip = QStringLiteral("設定を初期化します");
inline const QString InitialiseQuestion = QStringLiteral("設定を初期化します。\nよろしいですか？");

inline const QString PickFileTitle = QStringLiteral("ファイルを開く");
// The trailing "(*)" is the pattern Qt uses: "*.*" would hide files without an extension.
inline const QString AllFilesFilter = QStringLiteral("すべてのファイル(*.*) (*)");

inline const QString BadFontSize =
    QStringLiteral("フォントサイズには 1 から 400 までの数値を入力して下さい");
inline const QString WriteFailed = QStringLiteral("設定ファイルに書き込めませんでした: ");
} // namespace OptionTexts
