#pragma once

#include <QString>

// Reasons the file operations give the user, one per kind of refusal or failure.
namespace FileOperationTexts {
inline const QString BadName = QStringLiteral("名前が正しくありません");
inline const QString NotFound = QStringLiteral("見つかりません");
inline const QString NoFolder = QStringLiteral("フォルダがありません");
inline const QString SameFolder = QStringLiteral("コピー元とコピー先が同じフォルダです");
inline const QString IntoItself = QStringLiteral("フォルダをそれ自身の中にはコピーできません");
inline const QString FolderOverFile = QStringLiteral("コピー先に同じ名前のファイルがあります");
inline const QString FileOverFolder = QStringLiteral("コピー先に同じ名前のフォルダがあります");
inline const QString SpecialFile = QStringLiteral("特殊なファイルはコピーできません");
inline const QString TooDeep = QStringLiteral("フォルダの階層が深すぎます");
inline const QString NoTrash = QStringLiteral("ごみ箱が使えません");
inline const QString Kept = QStringLiteral("削除しませんでした");
// Followed by the relative path of the folder concerned.
inline const QString LinkedFolder = QStringLiteral("途中のフォルダがシンボリックリンクです: ");
inline const QString LinkedSourceFolder =
    QStringLiteral("コピー元の途中のフォルダがシンボリックリンクです: ");
inline const QString LinkedDestinationFolder =
    QStringLiteral("コピー先の途中のフォルダがシンボリックリンクです: ");
inline const QString NotAFolder = QStringLiteral("フォルダではありません: ");
inline const QString FileInTheWay = QStringLiteral("コピー先に同じ名前のファイルがあります: ");
inline const QString CannotMakeFolder = QStringLiteral("フォルダを作れません");
} // namespace FileOperationTexts
