#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QString>

#include "engine/ReallocArray.h"
#include "engine/TextArena.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

// Colours are 24-bit values in 0x00BBGGRR order (red in the low byte).
using Color = quint32;

// The in-memory grid that holds a comparison result: cell texts, cell back colours and the
// few view properties the comparison and the exporters use. Views read it through a model
// adapter; nothing here needs a widget.
//
// Storage is one compact cell per (row, column). Line numbers are kept as integers and turned
// into text only when read, so a million-row text result costs little beyond its line texts,
// which are shared (not copied) with the line arrays they come from.
//
// A hexadecimal dump is kept as bytes instead ("byte rows"): the grid holds each side's source
// bytes and makes a data row's address and hex text only when it is read. Colours of byte rows
// are kept per row and side, and removed rows only drop out of an index of kept rows, so a
// 100 MB dump costs little beyond its bytes. Every cell operation keeps its meaning on byte
// rows; writing a text or number into one turns the grid back into ordinary cells (costly for
// a big dump, and nothing in the program does it).
class ResultGrid : public QObject {
    Q_OBJECT
public:
    // Back colour of a cell that was never painted: a code no real colour has, which the
    // views draw in the window's own colour; navigation and exporters compare against it.
    static constexpr Color DefaultColor = 0x80000005u;

    // Alignment codes of the cells: 1 left and vertically centred, 7 right and vertically centred.
    static constexpr int AlignLeftCenter = 1;
    static constexpr int AlignRightCenter = 7;

    ResultGrid(int cols, int fixedRows, QObject *parent = nullptr);

    // Empties every cell (text and colour); the row count stays.
    void clear();

    // Gives this grid the layout of `other` (columns, alignment, wrap, enabled flag, sort tag,
    // current column) with no rows, as other.setRows(0) would leave it. A run
    // fills such a copy while the grid on screen stays as it is.
    void copyLayoutFrom(const ResultGrid &other);
    // Exchanges the whole state of the two grids; views of both are told. A finished run's
    // result is swapped in this way.
    void swapContents(ResultGrid &other);

    int rows() const { return m_rows; }
    void setRows(int n);
    void appendRow() { setRows(m_rows + 1); }
    void removeRow(int r);
    // Removes the rows listed (ascending, no repeats) in one pass; later rows move up.
    void removeRows(const std::vector<int> &rows);
    // Puts the data rows in a new order: row fixedRows() + k takes what row order[k] held
    // (cells, colours and height). `order` lists every data row once.
    void reorderRows(const std::vector<int> &order);
    int cols() const { return m_cols; }
    int fixedRows() const { return m_fixedRows; }

    // The cell's text; always a string of its own, safe to keep.
    QString text(int r, int c) const;
    void setText(int r, int c, const QString &text);
    void setText(int r, int c, QStringView text);
    // Stores a text that may point into a buffer kept by keepAlive() (a line of a loaded
    // source), without copying it.
    void setSharedText(int r, int c, const QString &text);
    // Keeps a source text alive, and unchanged, for as long as the grid's cells may point
    // into it: until the grid is emptied.
    void keepAlive(const QString &source) { m_backing.append(source); }
    // Writes a non-negative number as its decimal text, without allocating a string.
    void setNumber(int r, int c, int number);
    // True when the cell holds no text (cheaper than text(r, c).isEmpty()).
    bool isEmpty(int r, int c) const;
    // For readers that walk millions of cells without making strings: the number a cell holds
    // (-1 when it holds text).
    int numberAt(int r, int c) const;
    // The cell's text for a reader that uses it at once (the exporters, the selection text):
    // no string is made for a text cell; a number's digits and a byte row's text are written
    // into the caller's `buffer`. Valid until the grid next changes or `buffer` is used again;
    // never keep it: text() gives a string of its own.
    struct TextBuffer {
        char16_t digits[12];
        QString made;
    };
    QStringView textView(int r, int c, TextBuffer &buffer) const;
    // A text cell's characters (empty for a number), which stay where they are until the grid
    // is cleared or emptied, also when the cell is given another text or rows are moved: a
    // reader on another thread may keep it while the grid is coloured.
    QStringView storedText(int r, int c) const;

    Color backColor(int r, int c) const;
    void setBackColor(int r, int c, Color color);
    // Paints cells 0-1 and cells 2-3 of a 4-column row (a compared row of the binary grid).
    void setRowColors(int r, Color left, Color right);

    // Byte rows, for 4-column grids: side 0 shows in columns 0 (address) and 1 (bytes), side 1
    // in columns 2 and 3. setByteSide gives a side its bytes (shared, not copied) and its number
    // of data rows, each with an address; its byte column is empty until setByteSideShown says
    // how many bytes have been written out (16 a row, from the first data row on). The first
    // call turns the data rows into byte rows: texts written into them before are dropped,
    // and the other side starts with no data rows. setRows(0) ends it.
    // Call it before raising the row count of a big dump, which would otherwise first make
    // ordinary cells for every row.
    void setByteSide(int side, const QByteArray &bytes, int dataRows);
    void setByteSideShown(int side, qsizetype shownBytes);
    bool hasByteRows() const { return m_byteRows; }
    // The bytes shown in a byte row's byte column (empty for other rows).
    QByteArrayView rowBytes(int r, int side) const;

    // The current cell, shared by the view and the commands that walk the grid.
    int row() const { return m_row; }
    int col() const { return m_col; }
    void setRow(int r) { m_row = r; }
    void setCol(int c) { m_col = c; }

    // Alignment is shared by every cell of a column in all of our grids.
    int colAlignment(int c) const;
    void setColAlignment(int c, int alignment);
    // Row heights in twips; 0 means the view's default height.
    int rowHeight(int r) const;
    void setRowHeight(int r, int height);

    int topRow() const { return m_topRow; }
    void setTopRow(int r);

    // Redraw suspension: while off, no change notifications are sent; turning it back on sends
    // one.
    bool redraw() const { return m_redraw; }
    void setRedraw(bool on);

    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on) { m_wordWrap = on; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool on) { m_enabled = on; }
    QString tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

Q_SIGNALS:
    // The contents or the row count changed (sent only while redrawing is on).
    void contentsChanged();
    void topRowChanged(int row);

private:
    // 16 bytes a cell: a text is a pointer and a length (into a kept-alive source or into the
    // grid's own arena), a number is kept in the length's place as -1 - number.
    struct Cell {
        const char16_t *data = nullptr;
        qint32 length = 0;
        Color color = DefaultColor;
        bool isNumber() const { return length < 0; }
        int number() const { return -1 - length; }
        QStringView view() const { return QStringView(data, isNumber() ? 0 : length); }
    };
    void storeText(Cell &x, QStringView text); // an own copy of the text into the cell
    const Cell &cell(int r, int c) const;
    Cell &cell(int r, int c); // a byte row is first turned into ordinary cells
    void checkCell(int r, int c) const;
    void changed();

    struct ByteSide {
        QByteArray bytes;
        int dataRows = 0;    // data rows with an address on this side
        qsizetype shown = 0; // bytes written into the byte column so far
    };
    bool isByteRow(int r) const { return m_byteRows && r >= m_fixedRows; }
    // The dump row (offset / 16) that a byte row shows.
    int sourceRow(int r) const {
        const int i = r - m_fixedRows;
        return m_rowsRemoved ? m_sourceRows[size_t(i)] : i;
    }
    QString byteRowText(int r, int c) const;
    Color &byteColor(int s, int c);
    void shrinkByteRows(int dataRows);
    void endByteRows();
    void toCells();

    int m_cols;
    int m_fixedRows;
    int m_rows = 0;
    ReallocArray<Cell> m_cells;
    QList<QString> m_backing;
    TextArena m_arena; // the cells' own texts
    std::vector<int> m_colAlignment;
    std::vector<int> m_rowHeight; // grown lazily when a height is set
    int m_row = 0;
    int m_col = 0;
    int m_topRow = 0;
    bool m_redraw = true;
    bool m_wordWrap = false;
    bool m_enabled = false;
    QString m_tag;

    // Byte rows (see setByteSide). Header rows stay ordinary cells in m_cells.
    bool m_byteRows = false;
    std::array<ByteSide, 2> m_sides;
    // Dump rows ever in the grid; rows appended after a removal get fresh, empty dump rows.
    int m_sourceExtent = 0;
    // After a removal: the dump row of each data row (ascending).
    bool m_rowsRemoved = false;
    std::vector<int> m_sourceRows;
    // Colours by dump row: 2 a row (left half, right half) until a single cell is painted
    // differently from its half, then 4 a row. Allocated when first painted.
    std::vector<Color> m_byteColors;
    int m_colorStride = 2;
};
