#include "engine/ResultGrid.h"

#include <stdexcept>

ResultGrid::ResultGrid(int cols, int fixedRows, QObject *parent)
    : QObject(parent), m_cols(cols), m_fixedRows(fixedRows), m_colAlignment(cols, 0),
      m_colWidth(cols, 0) {}

const ResultGrid::Cell &ResultGrid::cell(int r, int c) const {
    if (r < 0 || r >= m_rows || c < 0 || c >= m_cols)
        throw std::out_of_range("ResultGrid: cell outside the grid");
    return m_cells[size_t(r) * size_t(m_cols) + size_t(c)];
}

ResultGrid::Cell &ResultGrid::cell(int r, int c) {
    return const_cast<Cell &>(static_cast<const ResultGrid *>(this)->cell(r, c));
}

void ResultGrid::changed() {
    if (m_redraw)
        Q_EMIT contentsChanged();
}

void ResultGrid::clear() {
    for (Cell &c : m_cells)
        c = Cell();
    m_backing.clear();
    m_rowHeight.clear();
    changed();
}

void ResultGrid::setRows(int n) {
    if (n < 0)
        n = 0;
    m_cells.resize(size_t(n) * size_t(m_cols));
    if (n == 0)
        m_backing.clear(); // no cell points into a source text any more
    if (m_rowHeight.size() > size_t(n))
        m_rowHeight.resize(size_t(n));
    m_rows = n;
    if (m_row >= n)
        m_row = n > 0 ? n - 1 : 0;
    if (m_topRow >= n)
        m_topRow = n > 0 ? n - 1 : 0;
    changed();
}

void ResultGrid::removeRow(int r) {
    if (r < 0 || r >= m_rows)
        throw std::out_of_range("ResultGrid: row outside the grid");
    auto first = m_cells.begin() + std::ptrdiff_t(r) * m_cols;
    m_cells.erase(first, first + m_cols);
    if (size_t(r) < m_rowHeight.size())
        m_rowHeight.erase(m_rowHeight.begin() + r);
    --m_rows;
    if (m_row >= m_rows)
        m_row = m_rows > 0 ? m_rows - 1 : 0;
    changed();
}

QString ResultGrid::text(int r, int c) const {
    const Cell &x = cell(r, c);
    if (x.number >= 0)
        return QString::number(x.number);
    if (x.number == SharedText)
        return QString(x.text.constData(), x.text.size()); // a copy that outlives the source
    return x.text;
}

void ResultGrid::setText(int r, int c, const QString &text) {
    Cell &x = cell(r, c);
    x.text = text;
    x.number = OwnText;
    changed();
}

void ResultGrid::setSharedText(int r, int c, const QString &text) {
    Cell &x = cell(r, c);
    x.text = text;
    x.number = SharedText;
    changed();
}

void ResultGrid::setNumber(int r, int c, int number) {
    Cell &x = cell(r, c);
    x.text = QString();
    x.number = number < 0 ? OwnText : number;
    changed();
}

bool ResultGrid::isEmpty(int r, int c) const {
    const Cell &x = cell(r, c);
    return x.number < 0 && x.text.isEmpty();
}

Color ResultGrid::backColor(int r, int c) const { return cell(r, c).color; }

void ResultGrid::setBackColor(int r, int c, Color color) {
    cell(r, c).color = color;
    changed();
}

int ResultGrid::colAlignment(int c) const { return m_colAlignment.at(size_t(c)); }
void ResultGrid::setColAlignment(int c, int alignment) { m_colAlignment.at(size_t(c)) = alignment; }
int ResultGrid::colWidth(int c) const { return m_colWidth.at(size_t(c)); }
void ResultGrid::setColWidth(int c, int width) { m_colWidth.at(size_t(c)) = width; }

int ResultGrid::rowHeight(int r) const {
    if (r < 0 || r >= m_rows)
        throw std::out_of_range("ResultGrid: row outside the grid");
    return size_t(r) < m_rowHeight.size() ? m_rowHeight[size_t(r)] : 0;
}

void ResultGrid::setRowHeight(int r, int height) {
    if (r < 0 || r >= m_rows)
        throw std::out_of_range("ResultGrid: row outside the grid");
    if (m_rowHeight.size() <= size_t(r))
        m_rowHeight.resize(size_t(m_rows), 0);
    m_rowHeight[size_t(r)] = height;
    changed();
}

void ResultGrid::setTopRow(int r) {
    if (r < 0)
        r = 0;
    if (r >= m_rows)
        r = m_rows > 0 ? m_rows - 1 : 0;
    m_topRow = r;
    if (m_redraw)
        Q_EMIT topRowChanged(r);
}

void ResultGrid::setRedraw(bool on) {
    if (m_redraw == on)
        return;
    m_redraw = on;
    if (on)
        Q_EMIT contentsChanged();
}
