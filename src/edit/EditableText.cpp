#include "edit/EditableText.h"

#include <iterator>

EditableText EditableText::fromLines(const QStringList &lines, LineEnd usualEnd) {
    EditableText text;
    text.m_usualEnd = usualEnd;
    text.m_lines.reserve(size_t(lines.size()));
    for (qsizetype k = 0; k < lines.size(); ++k)
        text.m_lines.push_back(EditLine{lines[k], k + 1 < lines.size() ? usualEnd : LineEnd::None});
    return text;
}

QStringList EditableText::texts() const {
    QStringList all;
    all.reserve(qsizetype(m_lines.size()));
    for (const EditLine &line : m_lines)
        all.append(line.text);
    return all;
}

std::vector<EditLine> EditableText::replace(qsizetype first, qsizetype count,
                                            std::vector<EditLine> lines) {
    const auto begin = m_lines.begin() + first;
    std::vector<EditLine> taken(std::make_move_iterator(begin),
                                std::make_move_iterator(begin + count));
    const auto at = m_lines.erase(begin, begin + count);
    m_lines.insert(at, std::make_move_iterator(lines.begin()),
                   std::make_move_iterator(lines.end()));
    return taken;
}

EditLine EditableText::newLine(const QString &text) const {
    return EditLine{text, m_usualEnd};
}
