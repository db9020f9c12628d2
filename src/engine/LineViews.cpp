#include "engine/LineViews.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// The number of LFs in the text, four characters at a step: a lane that equals LF is zero
// after the exclusive or, and only a zero lane keeps its top bit clear in (lane & 0x7FFF) +
// 0x7FFF or'd with the lane itself, with no carry into the next lane.
qsizetype countLineFeeds(QStringView text) {
    constexpr quint64 Lf = 0x000A000A000A000Aull, Low = 0x7FFF7FFF7FFF7FFFull;
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    qsizetype count = 0, k = 0;
    for (; k + 4 <= n; k += 4) {
        quint64 word;
        std::memcpy(&word, p + k, sizeof word);
        word ^= Lf;
        // One bit a zero lane, at the lane's foot; the multiplication adds the four into the
        // top lane (no popcount instruction is assumed).
        const quint64 marks = ~(((word & Low) + Low) | word | Low) >> 15;
        count += qsizetype((marks * 0x0001000100010001ull) >> 48);
    }
    for (; k < n; ++k)
        count += p[k] == u'\n';
    return count;
}

// Calls use(start, length) for each line of the text, split as LineViews::splitText says.
template <typename Use> void forEachLine(QStringView text, bool dropCr, Use use) {
    if (text.isEmpty())
        return;
    const char16_t *p = text.utf16();
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(u'\n', from);
        qsizetype end = at < 0 ? text.size() : at;
        if (dropCr && at >= 0 && end > from && p[end - 1] == u'\r')
            --end;
        use(from, end - from);
        if (at < 0)
            return;
        from = at + 1;
    }
}

} // namespace

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

LineViews LineViews::splitText(const QString &text, bool dropCr) {
    LineViews views;
    if (text.isEmpty())
        return views;
    const qsizetype count = countLineFeeds(text) + 1;
    if (quint64(text.size()) > std::numeric_limits<quint32>::max()) {
        // Beyond the places' reach: the lines are kept as strings.
        views.m_lines.reserve(count);
        forEachLine(text, dropCr, [&](qsizetype start, qsizetype length) {
            views.m_lines.append(QString::fromRawData(text.constData() + start, length));
        });
        views.m_count = count;
        views.m_allShared = true;
        return views;
    }
    views.m_base = text.constData();
    views.m_count = count;
    views.m_start.reserve(size_t(count));
    views.m_length.reserve(size_t(count));
    forEachLine(text, dropCr, [&](qsizetype start, qsizetype length) {
        views.m_start.push_back(quint32(start));
        views.m_length.push_back(quint32(length));
    });
    return views;
}

QStringList LineViews::toList() const {
    if (!m_base)
        return m_lines;
    QStringList lines;
    lines.reserve(m_count);
    for (qsizetype k = 0; k < m_count; ++k)
        lines.append((*this)[k]);
    return lines;
}

QString LineViews::operator[](qsizetype k) const {
    if (!m_base)
        return m_lines[k];
    return QString::fromRawData(m_base + m_start[size_t(k)], qsizetype(m_length[size_t(k)]));
}
