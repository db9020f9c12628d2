#pragma once

#include <QString>

// Texts the folder comparison writes into its grid and the run's status.
namespace FolderTexts {

// A pair beyond the size limit of the text comparison was compared byte for byte only: not an
// unreadable file. Followed by ": " and the file's path.
inline const QString NotComparedAsText =
    QStringLiteral("テキストとしては比較していません (1 GB を超えています)");

// The size cell of a folder on one side whose entries cannot be counted.
inline const QString UnknownEntries = QStringLiteral("? 項目");

} // namespace FolderTexts
