#pragma once

#include "edit/EditableText.h"

#include <QString>

#include <optional>

// A text file read as a side to edit: its lines as the comparison shows them, in the encoding
// named (or the detected one when empty). Nothing when it cannot be read; `problem` then says
// why, for the status line.
std::optional<EditableText> readSideForEditing(const QString &path, const QString &encoding,
                                               QString *problem);
