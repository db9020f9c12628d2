#include "edit/EditSources.h"

#include "edit/ReadEditableText.h"
#include "encoding/Charset.h"

std::optional<EditableText> readSideForEditing(const QString &path, const QString &encoding,
                                               QString *problem) {
    try {
        return readEditableText(path, encoding);
    } catch (const FileReadError &e) {
        if (problem)
            *problem = QString::fromStdString(e.what());
        return std::nullopt;
    }
}
