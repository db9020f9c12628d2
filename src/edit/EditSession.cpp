#include "edit/EditSession.h"

#include "engine/GuardedMatching.h"
#include "engine/LineViews.h"
#include "run/GridFill.h"

#include <algorithm>

EditSession::EditSession(EditableText left, EditableText right, const CompareSettings &settings)
    : m_sides{std::move(left), std::move(right)}, m_settings(settings) {
    for (int s = 0; s < 2; ++s)
        m_texts[size_t(s)] = m_sides[size_t(s)].texts();
    compare();
}

// Compares the texts as a run compares two sides: the same matching, the same judgement of
// each row as the grid paints it.
void EditSession::compare() {
    const QStringList &left = m_texts[0];
    const QStringList &right = m_texts[1];
    PairTable table;
    if (m_settings.folding.active() || m_settings.minimal)
        matchFoldedLines(left, right, m_settings.folding, m_settings.params, m_settings.minimal,
                         table);
    else
        matchLinesGuarded(left, right, m_settings.params, table);
    m_table = std::move(table);
    const LineViews leftViews(left), rightViews(right);
    const int n = m_table.lastRow();
    m_differs.assign(size_t(n) + 1, 0);
    for (int s = 0; s < 2; ++s)
        m_rowOfLine[size_t(s)].assign(size_t(m_sides[size_t(s)].lineCount()), 0);
    for (int r = 1; r <= n; ++r) {
        const PairTable::Row &row = m_table.row(r);
        m_differs[size_t(r)] = ::rowDiffers(row, leftViews, rightViews, m_settings.folding);
        if (row.left >= 0)
            m_rowOfLine[0][size_t(row.left)] = r;
        if (row.right >= 0)
            m_rowOfLine[1][size_t(row.right)] = r;
    }
}

int EditSession::rowOfLine(int s, qsizetype line) const {
    const std::vector<int> &rows = m_rowOfLine[size_t(s)];
    if (line < 0 || rows.empty())
        return 0;
    return rows[size_t(std::min<qsizetype>(line, qsizetype(rows.size()) - 1))];
}

EditSession::Block EditSession::blockAt(int tableRow) const {
    const int n = m_table.lastRow();
    if (tableRow < 1 || tableRow > n || !rowDiffers(tableRow))
        return {};
    Block b{tableRow, tableRow};
    while (b.firstRow > 1 && rowDiffers(b.firstRow - 1))
        --b.firstRow;
    while (b.lastRow < n && rowDiffers(b.lastRow + 1))
        ++b.lastRow;
    return b;
}

std::vector<EditSession::Block> EditSession::blocksTouching(int firstRow, int lastRow) const {
    std::vector<Block> blocks;
    firstRow = std::max(firstRow, 1);
    lastRow = std::min(lastRow, m_table.lastRow());
    for (int r = firstRow; r <= lastRow; ++r) {
        const Block b = blockAt(r);
        if (b.isEmpty())
            continue;
        blocks.push_back(b);
        r = b.lastRow;
    }
    return blocks;
}

qsizetype EditSession::copyBlocks(int from, const std::vector<Block> &blocks) {
    const int to = 1 - from;
    auto lineOf = [this](int r, int s) {
        const PairTable::Row &row = m_table.row(r);
        return s == 0 ? row.left : row.right;
    };
    Step step;
    qsizetype cursor = -1;
    // From the last block to the first, so that each block's line numbers still hold.
    for (auto b = blocks.rbegin(); b != blocks.rend(); ++b) {
        QStringList texts;
        qsizetype toFirst = -1, toCount = 0;
        for (int r = b->firstRow; r <= b->lastRow; ++r) {
            if (const int k = lineOf(r, from); k >= 0)
                texts.append(m_sides[size_t(from)].line(k).text);
            if (const int k = lineOf(r, to); k >= 0) {
                if (toFirst < 0)
                    toFirst = k;
                ++toCount;
            }
        }
        if (toFirst < 0) {
            // Nothing on the other side: the lines go in before its next line.
            toFirst = m_sides[size_t(to)].lineCount();
            for (int r = b->lastRow + 1; r <= m_table.lastRow(); ++r) {
                if (const int k = lineOf(r, to); k >= 0) {
                    toFirst = k;
                    break;
                }
            }
        }
        std::vector<EditLine> lines;
        lines.reserve(size_t(texts.size()));
        for (const QString &t : texts)
            lines.push_back(m_sides[size_t(to)].newLine(t));
        step.replaces.push_back(Replace{to, toFirst, std::move(lines), toCount});
        cursor = toFirst;
    }
    if (step.replaces.empty())
        return -1;
    push(std::move(step));
    return cursor;
}

qsizetype EditSession::copyAll(int from) {
    const int to = 1 - from;
    std::vector<EditLine> lines;
    lines.reserve(size_t(m_sides[size_t(from)].lineCount()));
    for (const EditLine &line : m_sides[size_t(from)].lines())
        lines.push_back(m_sides[size_t(to)].newLine(line.text));
    Step step;
    step.replaces.push_back(Replace{to, 0, std::move(lines), m_sides[size_t(to)].lineCount()});
    push(std::move(step));
    return 0;
}

qsizetype EditSession::replaceLines(int s, qsizetype first, qsizetype count,
                                    const QStringList &texts) {
    first = std::clamp<qsizetype>(first, 0, m_sides[size_t(s)].lineCount());
    count = std::clamp<qsizetype>(count, 0, m_sides[size_t(s)].lineCount() - first);
    std::vector<EditLine> lines;
    lines.reserve(size_t(texts.size()));
    for (qsizetype k = 0; k < texts.size(); ++k) {
        EditLine line = m_sides[size_t(s)].newLine(texts[k]);
        // A line that is only typed over keeps the end it had.
        if (k < count)
            line.end = m_sides[size_t(s)].line(first + k).end;
        lines.push_back(std::move(line));
    }
    Step step;
    step.replaces.push_back(Replace{s, first, std::move(lines), count});
    push(std::move(step));
    return first;
}

bool EditSession::Step::touches(int s) const {
    return std::any_of(replaces.begin(), replaces.end(),
                       [s](const Replace &r) { return r.side == s; });
}

void EditSession::apply(Replace &r) {
    const qsizetype added = qsizetype(r.lines.size());
    QStringList &texts = m_texts[size_t(r.side)];
    texts.remove(r.first, r.count);
    QStringList inserted;
    inserted.reserve(added);
    for (const EditLine &line : r.lines)
        inserted.append(line.text);
    texts.insert(r.first, added, QString());
    std::move(inserted.begin(), inserted.end(), texts.begin() + r.first);
    r.lines = m_sides[size_t(r.side)].replace(r.first, r.count, std::move(r.lines));
    r.count = added;
}

// The same exchange the other way: what was put in goes out, what was taken comes back.
void EditSession::revert(Replace &r) {
    apply(r);
}

void EditSession::push(Step step) {
    m_history.erase(m_history.begin() + m_done, m_history.end());
    for (qsizetype &at : m_savedAt) {
        if (at > m_done)
            at = -1; // that state can no longer be reached
    }
    for (Replace &r : step.replaces)
        apply(r);
    m_history.push_back(std::move(step));
    ++m_done;
    compare();
}

EditSession::Place EditSession::undo() {
    if (!canUndo())
        return {};
    Step &step = m_history[size_t(--m_done)];
    for (auto r = step.replaces.rbegin(); r != step.replaces.rend(); ++r)
        revert(*r);
    compare();
    const Replace &last = step.replaces.back();
    return {last.side, last.first};
}

EditSession::Place EditSession::redo() {
    if (!canRedo())
        return {};
    Step &step = m_history[size_t(m_done++)];
    for (Replace &r : step.replaces)
        apply(r);
    compare();
    const Replace &last = step.replaces.back();
    return {last.side, last.first};
}

bool EditSession::isModified(int s) const {
    const qsizetype saved = m_savedAt[size_t(s)];
    if (saved < 0)
        return true;
    const qsizetype from = std::min(saved, m_done), to = std::max(saved, m_done);
    for (qsizetype k = from; k < to; ++k) {
        if (m_history[size_t(k)].touches(s))
            return true;
    }
    return false;
}

void EditSession::markSaved(int s) {
    m_savedAt[size_t(s)] = m_done;
}
