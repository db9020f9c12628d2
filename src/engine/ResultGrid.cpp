#include "engine/ResultGrid.h"

#include <limits>
#include <numeric>
#include <stdexcept>

namespace {

constexpr int BytesPerRow = 16;
constexpr char16_t HexDigits[] = u"0123456789ABCDEF";

// "0D 0A 41": two upper-case digits a byte, one space between, none at the ends.
QString hexText(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return QString();
    QString text(bytes.size() * 3 - 1, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (i > 0)
            *out++ = u' ';
        *out++ = HexDigits[b >> 4];
        *out++ = HexDigits[b & 15];
    }
    return text;
}

// An offset in upper-case hexadecimal, at least 8 digits.
QString addressText(quint64 offset) {
    char16_t digits[16];
    int at = 16;
    do {
        digits[--at] = HexDigits[offset & 15];
        offset >>= 4;
    } while (offset != 0 || at > 8);
    return QString(reinterpret_cast<const QChar *>(digits + at), 16 - at);
}

} // namespace

ResultGrid::ResultGrid(int cols, int fixedRows, QObject *parent)
    : QObject(parent), m_cols(cols), m_fixedRows(fixedRows), m_colAlignment(cols, 0) {}

void ResultGrid::checkCell(int r, int c) const {
    if (r < 0 || r >= m_rows || c < 0 || c >= m_cols)
        throw std::out_of_range("ResultGrid: cell outside the grid");
}

const ResultGrid::Cell &ResultGrid::cell(int r, int c) const {
    checkCell(r, c);
    if (isByteRow(r))
        throw std::logic_error("ResultGrid: a byte row has no stored cell");
    return m_cells[size_t(r) * size_t(m_cols) + size_t(c)];
}

ResultGrid::Cell &ResultGrid::cell(int r, int c) {
    checkCell(r, c);
    if (isByteRow(r))
        toCells();
    return m_cells[size_t(r) * size_t(m_cols) + size_t(c)];
}

void ResultGrid::copyLayoutFrom(const ResultGrid &other) {
    ResultGrid fresh(other.m_cols, other.m_fixedRows);
    fresh.m_colAlignment = other.m_colAlignment;
    fresh.m_col = other.m_col;
    fresh.m_redraw = other.m_redraw;
    fresh.m_wordWrap = other.m_wordWrap;
    fresh.m_enabled = other.m_enabled;
    fresh.m_tag = other.m_tag;
    swapContents(fresh);
}

void ResultGrid::swapContents(ResultGrid &other) {
    // Every data member: a member added to the class belongs here too.
    std::swap(m_cols, other.m_cols);
    std::swap(m_fixedRows, other.m_fixedRows);
    std::swap(m_rows, other.m_rows);
    std::swap(m_cells, other.m_cells);
    std::swap(m_backing, other.m_backing);
    m_arena.swap(other.m_arena);
    std::swap(m_colAlignment, other.m_colAlignment);
    std::swap(m_rowHeight, other.m_rowHeight);
    std::swap(m_row, other.m_row);
    std::swap(m_col, other.m_col);
    std::swap(m_topRow, other.m_topRow);
    std::swap(m_redraw, other.m_redraw);
    std::swap(m_wordWrap, other.m_wordWrap);
    std::swap(m_enabled, other.m_enabled);
    std::swap(m_tag, other.m_tag);
    std::swap(m_byteRows, other.m_byteRows);
    std::swap(m_sides, other.m_sides);
    std::swap(m_sourceExtent, other.m_sourceExtent);
    std::swap(m_rowsRemoved, other.m_rowsRemoved);
    std::swap(m_sourceRows, other.m_sourceRows);
    std::swap(m_byteColors, other.m_byteColors);
    std::swap(m_colorStride, other.m_colorStride);
    for (ResultGrid *g : {this, &other}) {
        if (g->m_redraw) {
            Q_EMIT g->contentsChanged();
            Q_EMIT g->topRowChanged(g->m_topRow);
        }
    }
}

void ResultGrid::changed() {
    if (m_redraw)
        Q_EMIT contentsChanged();
}

void ResultGrid::clear() {
    for (Cell &c : m_cells)
        c = Cell();
    if (m_byteRows) {
        // The data rows stay byte rows, now with no address, bytes or colour.
        m_sides = {};
        m_rowsRemoved = false;
        m_sourceRows = {};
        m_sourceExtent = std::max(m_rows - m_fixedRows, 0);
        m_byteColors = {};
        m_colorStride = 2;
    }
    m_backing.clear();
    m_arena.clear();
    m_rowHeight.clear();
    changed();
}

void ResultGrid::setRows(int n) {
    if (n < 0)
        n = 0;
    if (m_byteRows && n == 0)
        endByteRows();
    if (m_byteRows) {
        const int data = std::max(n - m_fixedRows, 0);
        const int old = std::max(m_rows - m_fixedRows, 0);
        if (data < old)
            shrinkByteRows(data);
        else if (m_rowsRemoved)
            for (int k = old; k < data; ++k)
                m_sourceRows.push_back(m_sourceExtent++);
        else
            m_sourceExtent = std::max(m_sourceExtent, data);
        m_cells.resize(size_t(std::min(n, m_fixedRows)) * size_t(m_cols));
    } else {
        m_cells.resize(size_t(n) * size_t(m_cols));
    }
    if (n == 0) {
        m_backing.clear(); // no cell points into a source text any more
        m_arena.clear();
    }
    if (m_rowHeight.size() > size_t(n))
        m_rowHeight.resize(size_t(n));
    m_rows = n;
    if (m_row >= n)
        m_row = n > 0 ? n - 1 : 0;
    if (m_topRow >= n)
        m_topRow = n > 0 ? n - 1 : 0;
    changed();
}

void ResultGrid::reorderRows(const std::vector<int> &order) {
    if (order.size() != size_t(std::max(m_rows - m_fixedRows, 0)))
        throw std::invalid_argument("ResultGrid: the order does not list every data row");
    std::vector<bool> seen(order.size(), false);
    for (const int r : order) {
        if (r < m_fixedRows || r >= m_rows || seen[size_t(r - m_fixedRows)])
            throw std::invalid_argument("ResultGrid: the order does not list every data row");
        seen[size_t(r - m_fixedRows)] = true;
    }
    if (order.empty())
        return;
    if (m_byteRows)
        toCells();
    // The rows move in place, one cycle of the permutation at a time with one row held aside,
    // so a sort of a million rows needs no second copy of the cells.
    const size_t cols = size_t(m_cols);
    const size_t first = size_t(m_fixedRows);
    auto rowAt = [&](size_t k) { return m_cells.begin() + std::ptrdiff_t((first + k) * cols); };
    std::vector<Cell> held(cols);
    std::vector<bool> &placed = seen;
    placed.assign(order.size(), false);
    for (size_t start = 0; start < order.size(); ++start) {
        if (placed[start])
            continue;
        std::move(rowAt(start), rowAt(start) + std::ptrdiff_t(cols), held.begin());
        size_t to = start;
        for (;;) {
            placed[to] = true;
            const size_t from = size_t(order[to]) - first;
            if (from == start) {
                std::move(held.begin(), held.end(), rowAt(to));
                break;
            }
            std::move(rowAt(from), rowAt(from) + std::ptrdiff_t(cols), rowAt(to));
            to = from;
        }
    }
    if (!m_rowHeight.empty()) {
        std::vector<int> heights(
            m_rowHeight.begin(),
            m_rowHeight.begin() +
                std::min<std::ptrdiff_t>(m_fixedRows, std::ptrdiff_t(m_rowHeight.size())));
        heights.resize(size_t(m_rows), 0);
        for (size_t k = 0; k < order.size(); ++k)
            heights[size_t(m_fixedRows) + k] = rowHeight(order[k]);
        while (!heights.empty() && heights.back() == 0)
            heights.pop_back(); // heights are kept lazily, as far as the last one set
        m_rowHeight = std::move(heights);
    }
    changed();
}

void ResultGrid::removeRow(int r) {
    if (r < 0 || r >= m_rows)
        throw std::out_of_range("ResultGrid: row outside the grid");
    if (isByteRow(r)) {
        removeRows({r});
        return;
    }
    if (m_byteRows)
        toCells(); // a header row of a dump: data rows move into the fixed rows
    auto first = m_cells.begin() + std::ptrdiff_t(r) * m_cols;
    m_cells.erase(first, first + m_cols);
    if (size_t(r) < m_rowHeight.size())
        m_rowHeight.erase(m_rowHeight.begin() + r);
    --m_rows;
    if (m_row >= m_rows)
        m_row = m_rows > 0 ? m_rows - 1 : 0;
    changed();
}

void ResultGrid::removeRows(const std::vector<int> &rows) {
    if (rows.empty())
        return;
    for (size_t k = 0; k < rows.size(); ++k) {
        if (rows[k] < 0 || rows[k] >= m_rows)
            throw std::out_of_range("ResultGrid: row outside the grid");
        if (k > 0 && rows[k] <= rows[k - 1])
            throw std::invalid_argument("ResultGrid: rows to remove must ascend");
    }
    if (m_byteRows && rows.front() < m_fixedRows)
        toCells();

    // One pass: every kept row moves up over the removed ones before it.
    size_t next = 0;
    auto removed = [&](int r) {
        if (next < rows.size() && rows[next] == r) {
            ++next;
            return true;
        }
        return false;
    };
    if (m_byteRows) {
        const int data = m_rows - m_fixedRows;
        if (!m_rowsRemoved) {
            m_sourceRows.resize(size_t(data));
            std::iota(m_sourceRows.begin(), m_sourceRows.end(), 0);
            m_rowsRemoved = true;
        }
        size_t out = 0;
        for (int i = 0; i < data; ++i)
            if (!removed(m_fixedRows + i))
                m_sourceRows[out++] = m_sourceRows[size_t(i)];
        m_sourceRows.resize(out);
    } else {
        const size_t cols = size_t(m_cols);
        size_t out = 0;
        for (int r = 0; r < m_rows; ++r) {
            if (removed(r))
                continue;
            if (out != size_t(r))
                std::move(m_cells.begin() + std::ptrdiff_t(size_t(r) * cols),
                          m_cells.begin() + std::ptrdiff_t(size_t(r + 1) * cols),
                          m_cells.begin() + std::ptrdiff_t(out * cols));
            ++out;
        }
        m_cells.resize(out * cols);
    }
    next = 0;
    size_t out = 0;
    for (size_t r = 0; r < m_rowHeight.size(); ++r)
        if (!removed(int(r)))
            m_rowHeight[out++] = m_rowHeight[r];
    m_rowHeight.resize(out);

    m_rows -= int(rows.size());
    if (m_row >= m_rows)
        m_row = m_rows > 0 ? m_rows - 1 : 0;
    if (m_topRow >= m_rows)
        m_topRow = m_rows > 0 ? m_rows - 1 : 0;
    changed();
}

QString ResultGrid::text(int r, int c) const {
    checkCell(r, c);
    if (isByteRow(r))
        return byteRowText(r, c);
    const Cell &x = cell(r, c);
    if (x.isNumber())
        return QString::number(x.number());
    return x.view().toString(); // a copy that outlives the grid's storage
}

void ResultGrid::storeText(Cell &x, QStringView text) {
    if (text.size() > std::numeric_limits<qint32>::max())
        throw std::length_error("ResultGrid: a cell text beyond 2 G characters");
    x.data = m_arena.store(text);
    x.length = qint32(text.size());
}

void ResultGrid::setText(int r, int c, const QString &text) {
    setText(r, c, QStringView(text));
}

void ResultGrid::setText(int r, int c, QStringView text) {
    Cell &x = cell(r, c);
    storeText(x, text);
    changed();
}

void ResultGrid::setSharedText(int r, int c, const QString &text) {
    Cell &x = cell(r, c);
    // A text made over raw data points into a source the caller keeps alive; any other text
    // owns its characters, which end with it, so the grid keeps a copy.
    if (!text.data_ptr().isMutable() && text.size() <= std::numeric_limits<qint32>::max()) {
        x.data = reinterpret_cast<const char16_t *>(text.constData());
        x.length = qint32(text.size());
    } else {
        storeText(x, text);
    }
    changed();
}

void ResultGrid::setNumber(int r, int c, int number) {
    Cell &x = cell(r, c);
    x.data = nullptr;
    x.length = number < 0 ? 0 : -1 - number;
    changed();
}

bool ResultGrid::isEmpty(int r, int c) const {
    checkCell(r, c);
    if (isByteRow(r)) {
        if (c % 2 == 1)
            return rowBytes(r, c / 2).isEmpty();
        return sourceRow(r) >= m_sides[size_t(c / 2)].dataRows;
    }
    return cell(r, c).length == 0;
}

int ResultGrid::numberAt(int r, int c) const {
    checkCell(r, c);
    if (isByteRow(r))
        return -1;
    const Cell &x = cell(r, c);
    return x.isNumber() ? x.number() : -1;
}

QStringView ResultGrid::storedText(int r, int c) const {
    checkCell(r, c);
    return isByteRow(r) ? QStringView() : cell(r, c).view();
}

QStringView ResultGrid::textView(int r, int c, TextBuffer &buffer) const {
    checkCell(r, c);
    if (isByteRow(r)) {
        buffer.made = byteRowText(r, c);
        return buffer.made;
    }
    const Cell &x = cell(r, c);
    if (!x.isNumber())
        return x.view();
    int at = 12;
    for (unsigned v = unsigned(x.number());; v /= 10) {
        buffer.digits[--at] = char16_t(u'0' + v % 10);
        if (v < 10)
            break;
    }
    return QStringView(buffer.digits + at, 12 - at);
}

Color ResultGrid::backColor(int r, int c) const {
    checkCell(r, c);
    if (!isByteRow(r))
        return cell(r, c).color;
    const size_t at =
        size_t(sourceRow(r)) * size_t(m_colorStride) + size_t(m_colorStride == 2 ? c / 2 : c);
    return at < m_byteColors.size() ? m_byteColors[at] : DefaultColor;
}

void ResultGrid::setBackColor(int r, int c, Color color) {
    checkCell(r, c);
    if (isByteRow(r)) {
        if (m_colorStride == 2 && backColor(r, c ^ 1) != color) {
            // This cell leaves its half's colour: from now on one colour per cell.
            std::vector<Color> cells(m_byteColors.size() * 2);
            for (size_t k = 0; k < m_byteColors.size(); ++k)
                cells[2 * k] = cells[2 * k + 1] = m_byteColors[k];
            m_byteColors = std::move(cells);
            m_colorStride = 4;
        }
        byteColor(sourceRow(r), c) = color;
    } else {
        cell(r, c).color = color;
    }
    changed();
}

void ResultGrid::setRowColors(int r, Color left, Color right) {
    checkCell(r, 3);
    if (isByteRow(r) && m_colorStride == 2) {
        const int s = sourceRow(r);
        byteColor(s, 0) = left;
        byteColor(s, 2) = right;
        changed();
        return;
    }
    setBackColor(r, 0, left);
    setBackColor(r, 1, left);
    setBackColor(r, 2, right);
    setBackColor(r, 3, right);
}

Color &ResultGrid::byteColor(int s, int c) {
    const size_t stride = size_t(m_colorStride);
    const size_t need = size_t(std::max(s + 1, m_sourceExtent)) * stride;
    if (m_byteColors.size() < need)
        m_byteColors.resize(need, DefaultColor);
    return m_byteColors[size_t(s) * stride + size_t(stride == 2 ? c / 2 : c)];
}

void ResultGrid::setByteSide(int side, const QByteArray &bytes, int dataRows) {
    if (m_cols != 4 || side < 0 || side > 1)
        throw std::logic_error("ResultGrid: byte rows need a 4-column grid and a side 0 or 1");
    if (!m_byteRows) {
        m_cells.resize(size_t(std::min(m_rows, m_fixedRows)) * size_t(m_cols));
        m_byteRows = true;
        m_sourceExtent = std::max(m_rows - m_fixedRows, 0);
    }
    dataRows = std::max(dataRows, 0);
    m_sides[size_t(side)] = ByteSide{bytes, dataRows, 0};
    m_sourceExtent = std::max(m_sourceExtent, dataRows);
    changed();
}

void ResultGrid::setByteSideShown(int side, qsizetype shownBytes) {
    if (!m_byteRows || side < 0 || side > 1)
        throw std::logic_error("ResultGrid: no byte side to show");
    ByteSide &b = m_sides[size_t(side)];
    b.shown = std::clamp<qsizetype>(shownBytes, 0,
                                    std::min(b.bytes.size(), qsizetype(b.dataRows) * BytesPerRow));
    changed();
}

QByteArrayView ResultGrid::rowBytes(int r, int side) const {
    checkCell(r, side * 2);
    if (!isByteRow(r))
        return {};
    const ByteSide &b = m_sides[size_t(side)];
    const int s = sourceRow(r);
    if (s >= b.dataRows)
        return {};
    const qsizetype from = qsizetype(s) * BytesPerRow;
    if (from >= b.shown)
        return {};
    return QByteArrayView(b.bytes.constData() + from,
                          std::min<qsizetype>(BytesPerRow, b.shown - from));
}

QString ResultGrid::byteRowText(int r, int c) const {
    const int side = c / 2;
    const int s = sourceRow(r);
    if (s >= m_sides[size_t(side)].dataRows)
        return QString();
    if (c % 2 == 0)
        return addressText(quint64(s) * BytesPerRow);
    return hexText(rowBytes(r, side));
}

// Fewer data rows: what lies beyond them is gone, so rows added later start empty.
void ResultGrid::shrinkByteRows(int dataRows) {
    int reach = dataRows; // dump rows still shown lie below this
    if (m_rowsRemoved) {
        m_sourceRows.resize(size_t(dataRows));
        reach = dataRows > 0 ? m_sourceRows.back() + 1 : 0;
    } else {
        m_sourceExtent = dataRows;
    }
    for (ByteSide &b : m_sides) {
        b.dataRows = std::min(b.dataRows, reach);
        b.shown = std::min(b.shown, qsizetype(b.dataRows) * BytesPerRow);
        if (b.dataRows == 0)
            b.bytes = QByteArray(); // nothing of it can show again
    }
    if (m_byteColors.size() > size_t(reach) * size_t(m_colorStride))
        m_byteColors.resize(size_t(reach) * size_t(m_colorStride));
}

void ResultGrid::endByteRows() {
    m_byteRows = false;
    m_sides = {};
    m_sourceExtent = 0;
    m_rowsRemoved = false;
    m_sourceRows = {};
    m_byteColors = {};
    m_colorStride = 2;
}

// Writing into a byte row: every data row becomes ordinary cells with the texts and colours
// it showed.
void ResultGrid::toCells() {
    ReallocArray<Cell> cells;
    cells.resize(size_t(m_rows) * size_t(m_cols));
    std::move(m_cells.begin(), m_cells.end(), cells.begin());
    for (int r = m_fixedRows; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c) {
            Cell &x = cells[size_t(r) * size_t(m_cols) + size_t(c)];
            storeText(x, byteRowText(r, c));
            x.color = backColor(r, c);
        }
    m_cells = std::move(cells);
    endByteRows();
}

int ResultGrid::colAlignment(int c) const {
    return m_colAlignment.at(size_t(c));
}
void ResultGrid::setColAlignment(int c, int alignment) {
    m_colAlignment.at(size_t(c)) = alignment;
}

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
