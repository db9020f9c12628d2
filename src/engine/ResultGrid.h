#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <algorithm>
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
class ResultGrid : public QObject {
    Q_OBJECT
public:
    // Back colour of a cell that was never painted (the window colour code of the original
    // platform); navigation and exporters compare against it.
    static constexpr Color DefaultColor = 0x80000005u;

    // Alignment codes of the cells: 1 left and vertically centred, 7 right and vertically centred.
    static constexpr int AlignLeftCenter = 1;
    static constexpr int AlignRightCenter = 7;

    ResultGrid(int cols, int fixedRows, QObject *parent = nullptr);

    // Empties every cell (text and colour); the row count stays.
    void clear();

    int rows() const { return m_rows; }
    void setRows(int n);
    void appendRow() { setRows(m_rows + 1); }
    void removeRow(int r);
    int cols() const { return m_cols; }
    int fixedRows() const { return m_fixedRows; }

    // The cell's text; always a string of its own, safe to keep.
    QString text(int r, int c) const;
    void setText(int r, int c, const QString &text);
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
    // (-1 when it holds text), and the stored text (empty for a number cell), which is valid
    // only until the grid is next emptied.
    int numberAt(int r, int c) const { return std::max(cell(r, c).number, -1); }
    const QString &storedText(int r, int c) const { return cell(r, c).text; }

    Color backColor(int r, int c) const;
    void setBackColor(int r, int c, Color color);

    // Current cell, as the grid control's cell-format operations use it.
    int row() const { return m_row; }
    int col() const { return m_col; }
    void setRow(int r) { m_row = r; }
    void setCol(int c) { m_col = c; }
    Color cellBackColor() const { return backColor(m_row, m_col); }
    void setCellBackColor(Color color) { setBackColor(m_row, m_col, color); }
    // Alignment is shared by every cell of a column in all of our grids.
    void setCellAlignment(int alignment) { setColAlignment(m_col, alignment); }

    int colAlignment(int c) const;
    void setColAlignment(int c, int alignment);
    int colWidth(int c) const;
    void setColWidth(int c, int width);
    // Row heights in twips; 0 means the view's default height.
    int rowHeight(int r) const;
    void setRowHeight(int r, int height);

    QString fontName() const { return m_fontName; }
    void setFontName(const QString &name) { m_fontName = name; }
    double fontSize() const { return m_fontSize; }
    void setFontSize(double size) { m_fontSize = size; }

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
    static constexpr qint32 OwnText = -1;
    static constexpr qint32 SharedText = -2; // may point into a kept-alive source text
    struct Cell {
        QString text;
        Color color = DefaultColor;
        // >= 0: the cell's text is this number in decimal; OwnText or SharedText otherwise.
        qint32 number = OwnText;
    };
    const Cell &cell(int r, int c) const;
    Cell &cell(int r, int c);
    void changed();

    int m_cols;
    int m_fixedRows;
    int m_rows = 0;
    std::vector<Cell> m_cells;
    QList<QString> m_backing;
    std::vector<int> m_colAlignment;
    std::vector<int> m_colWidth;
    std::vector<int> m_rowHeight; // grown lazily when a height is set
    int m_row = 0;
    int m_col = 0;
    int m_topRow = 0;
    bool m_redraw = true;
    bool m_wordWrap = false;
    bool m_enabled = false;
    QString m_fontName;
    double m_fontSize = 9;
    QString m_tag;
};
