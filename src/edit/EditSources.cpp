#include "edit/EditSources.h"

#include "encoding/Charset.h"
#include "engine/LineViews.h"

std::optional<EditableText> readSideForEditing(const QString &path, QString *problem) {
    try {
        const QString text = LoadNormalizedText(path);
        // The lines are copied out of the text: each stays alive with the side that holds it.
        QStringList lines = LineViews::splitText(text).toList();
        for (QString &line : lines)
            line = QString(line.constData(), line.size());
        return EditableText::fromLines(lines);
    } catch (const FileReadError &e) {
        if (problem)
            *problem = QString::fromStdString(e.what());
        return std::nullopt;
    }
}
