#include "engine/LineViews.h"

#include <algorithm>
#include <limits>

LineViews::LineViews(const QStringList &lines) : m_count(lines.size()) {
    if (lines.isEmpty())
        return;
    const QChar *base = lines.first().constData();
    constexpr quintptr Reach = std::numeric_limits<quint32>::max();
    // Where a line starts, in characters after the first line's start (addresses compared as
    // numbers: the lines may lie in different blocks).
    auto offset = [base](const QString &line) {
        return (quintptr(line.constData()) - quintptr(base)) / sizeof(QChar);
    };
    auto inText = [&](const QString &line) {
        return !line.data_ptr().isMutable() && quintptr(line.constData()) >= quintptr(base) &&
               offset(line) + quintptr(line.size()) <= Reach;
    };
    // One pass over the lines, as a long text has millions: their places are kept until a
    // line that lies elsewhere is met.
    m_start.reserve(size_t(m_count));
    m_length.reserve(size_t(m_count));
    for (const QString &line : lines) {
        if (!inText(line))
            break;
        m_start.push_back(quint32(offset(line)));
        m_length.push_back(quint32(line.size()));
    }
    if (qsizetype(m_start.size()) == m_count) {
        m_base = base;
        return;
    }
    m_start = {};
    m_length = {};
    m_lines = lines;
    m_allShared = std::all_of(lines.cbegin(), lines.cend(),
                              [](const QString &line) { return !line.data_ptr().isMutable(); });
}

QString LineViews::operator[](qsizetype k) const {
    if (!m_base)
        return m_lines[k];
    return QString::fromRawData(m_base + m_start[size_t(k)], qsizetype(m_length[size_t(k)]));
}
