#include "export/ExcelExport.h"

#include "engine/InlineMarks.h"
#include "export/ExportTexts.h"
#include "export/GridLayout.h"
#include "platform/NativePath.h"
#include "platform/XlsxSupport.h"

#include <QStringEncoder>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <exception>
#include <unordered_map>
#include <vector>

using namespace XlsxSupport;

namespace {

constexpr lxw_row_t SummaryRow = 0;         // row 1: only a stopped run's summary
constexpr lxw_row_t PathRow = 1;            // row 2
constexpr lxw_row_t FirstGridRow = 2;       // row 3
constexpr lxw_col_t FirstGridCol = 1;       // column B
constexpr lxw_col_t RightPathCol = 3;       // D2
constexpr lxw_col_t FolderRightPathCol = 5; // F2

constexpr int SideCols = 4;       // text and binary grids
constexpr int FolderSideCols = 8; // folder grid without its hidden columns

const char *const FontName = "ＭＳ ゴシック";
// Colour 15 of the spreadsheet application's default palette.
constexpr lxw_color_t HeaderGrey = 0xC0C0C0;
// The changed characters of a changed pair (setting InlineDiff). Rich text runs carry only
// font properties, not a fill, so they stand out in bold dark red.
constexpr lxw_color_t MarkRed = 0xC00000;

constexpr double NumberWidth = 7;
constexpr double AddressWidth = 9;
constexpr double TextWidth = 50;
constexpr double FolderNameWidth = 25;

// Grid colours are 0x00BBGGRR, the library wants 0xRRGGBB. Values above 24 bits are the
// platform's system colour codes (DefaultColor among them): such a cell has no fill of its own.
// One library format per combination in use. The library keeps every format until the
// workbook closes and a workbook may hold only so many, so a format per cell is not an option.
class Formats {
public:
    explicit Formats(lxw_workbook *book) : m_book(book) {}

    // Every format carries the sheet's font; `marked` makes it the font of changed characters.
    // Null when the library is out of memory.
    lxw_format *get(lxw_color_t fill, bool bordered, bool centred, bool marked = false) {
        const quint64 key =
            (quint64(fill) << 3) | (marked ? 4u : 0u) | (bordered ? 2u : 0u) | (centred ? 1u : 0u);
        const auto found = m_cache.find(key);
        if (found != m_cache.end())
            return found->second;
        lxw_format *format = workbook_add_format(m_book);
        if (!format)
            return nullptr;
        format_set_font_name(format, FontName);
        if (marked) {
            format_set_bold(format);
            format_set_font_color(format, MarkRed);
        }
        if (fill != NoFill) {
            format_set_pattern(format, LXW_PATTERN_SOLID);
            format_set_bg_color(format, fill);
        }
        if (bordered)
            format_set_border(format, LXW_BORDER_THIN);
        if (centred)
            format_set_align(format, LXW_ALIGN_CENTER);
        m_cache.emplace(key, format);
        return format;
    }

private:
    lxw_workbook *m_book;
    std::unordered_map<quint64, lxw_format *> m_cache;
};

// Writes cells as strings, encoding each text into one reused buffer.
class CellWriter {
public:
    explicit CellWriter(lxw_worksheet *sheet) : m_sheet(sheet) {}

    bool text(lxw_row_t row, lxw_col_t col, QStringView s, lxw_format *format) {
        if (!format)
            return false;
        // An empty cell still carries its fill and borders.
        if (s.isEmpty())
            return worksheet_write_blank(m_sheet, row, col, format) == LXW_NO_ERROR;
        return worksheet_write_string(m_sheet, row, col, m_text.utf8(s), format) == LXW_NO_ERROR;
    }

    // Line numbers are strings too: the workbook shows them as the grid does.
    bool cell(const ResultGrid &grid, int r, int c, lxw_row_t row, lxw_col_t col,
              lxw_format *format) {
        const int number = grid.numberAt(r, c);
        if (number < 0)
            return text(row, col, grid.textView(r, c, m_buffer), format);
        if (!format)
            return false;
        char digits[16];
        *std::to_chars(digits, digits + sizeof digits - 1, number).ptr = '\0';
        return worksheet_write_string(m_sheet, row, col, digits, format) == LXW_NO_ERROR;
    }

    // A text whose marked runs stand out: rich text of plain and marked runs. A text that is one
    // marked run is a plain string in the marked font (rich text needs two runs or more).
    bool marked(const ResultGrid &grid, int r, int c, lxw_row_t row, lxw_col_t col,
                const QList<CharSpan> &spans, Formats &formats, lxw_color_t fill) {
        QStringView s = grid.textView(r, c, m_buffer);
        if (s.size() > MaxCellChars)
            s = s.first(s[MaxCellChars - 1].isHighSurrogate() ? MaxCellChars - 1 : MaxCellChars);
        lxw_format *plainFont = formats.get(NoFill, false, false);
        lxw_format *markFont = formats.get(NoFill, false, false, true);
        if (!plainFont || !markFont)
            return false;
        std::vector<QByteArray> texts;
        std::vector<lxw_rich_string_tuple> runs;
        const auto add = [&](qsizetype from, qsizetype to, lxw_format *font) {
            to = std::min(to, s.size());
            if (to > from) {
                texts.push_back(m_runText.encode(s.mid(from, to - from)));
                runs.push_back({font, nullptr});
            }
        };
        qsizetype from = 0;
        for (const CharSpan &span : spans) {
            add(from, span.start, plainFont);
            add(span.start, qsizetype(span.start) + span.length, markFont);
            from = span.start + span.length;
        }
        add(from, s.size(), plainFont);
        if (runs.size() < 2)
            return text(row, col, s, formats.get(fill, true, false, !runs.empty()));
        std::vector<lxw_rich_string_tuple *> list;
        for (size_t k = 0; k < runs.size(); ++k) {
            runs[k].string = texts[k].data();
            list.push_back(&runs[k]);
        }
        list.push_back(nullptr);
        lxw_format *cellFormat = formats.get(fill, true, false);
        return cellFormat && worksheet_write_rich_string(m_sheet, row, col, list.data(),
                                                         cellFormat) == LXW_NO_ERROR;
    }

private:
    lxw_worksheet *m_sheet;
    QStringEncoder m_runText{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    // Stateless: a broken surrogate at the end of one cell must not reach into the next.
    CellText m_text;
    ResultGrid::TextBuffer m_buffer;
};

struct Layout {
    bool folder = false;
    bool binary = false;
    int cols = 0;       // grid columns written
    int headerRows = 0; // grey rows
};

// Widths, and the font (and centring) of the grid's columns for cells typed in later. Only
// the grid's own columns: a format on further columns would stretch the sheet's used range
// to its last column.
bool setColumns(lxw_worksheet *sheet, Formats &formats, const Layout &layout) {
    lxw_format *plain = formats.get(NoFill, false, false);
    lxw_format *centred = formats.get(NoFill, false, true);
    if (!plain || !centred)
        return false;
    struct Columns {
        lxw_col_t first;
        lxw_col_t last;
        double width;
        lxw_format *format;
    };
    const double number = layout.binary ? AddressWidth : NumberWidth;
    const Columns sideColumns[] = {
        {1, 1, number, centred},
        {2, 2, TextWidth, plain},
        {3, 3, number, centred},
        {4, 4, TextWidth, plain},
    };
    const Columns folderColumns[] = {
        {1, 1, FolderNameWidth, plain},
        {2, 4, LXW_DEF_COL_WIDTH, plain},
        {5, 5, FolderNameWidth, plain},
        {6, 8, LXW_DEF_COL_WIDTH, plain},
    };
    const auto apply = [sheet](const auto &columns) {
        for (const Columns &c : columns) {
            if (worksheet_set_column(sheet, c.first, c.last, c.width, c.format) != LXW_NO_ERROR)
                return false;
        }
        return true;
    };
    return layout.folder ? apply(folderColumns) : apply(sideColumns);
}

// Writes the sheet row by row, top to bottom, as the constant-memory mode requires.
bool writeSheet(lxw_workbook *book, const Workspace &ws, const ResultGrid &grid) {
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    if (!sheet)
        return false;
    Layout layout;
    layout.folder = GridLayout::isFolderGrid(ws, grid);
    // The binary layout goes with the binary grid itself, not with the toolbar toggle, which
    // may have been switched since the result was made.
    layout.binary = &grid == &ws.fgB;
    layout.cols = layout.folder ? std::min(FolderSideCols, GridLayout::exportedCols(ws, grid))
                                : std::min(SideCols, grid.cols());
    layout.headerRows = std::min(grid.fixedRows(), grid.rows());

    Formats formats(book);
    if (!setColumns(sheet, formats, layout))
        return false;

    CellWriter out(sheet);
    lxw_format *pathFormat = formats.get(NoFill, false, !layout.folder);
    const lxw_col_t rightPathCol = layout.folder ? FolderRightPathCol : RightPathCol;
    // A stopped run's result is incomplete: the sheet says so above the paths (row 1).
    if (ws.runAborted &&
        !out.text(SummaryRow, FirstGridCol, ws.runSummary, formats.get(NoFill, false, false)))
        return false;
    if (!out.text(PathRow, FirstGridCol, ws.cb[0], pathFormat) ||
        !out.text(PathRow, rightPathCol, ws.cb[1], pathFormat))
        return false;

    const bool inlineMarks = ws.inlineDiff && &grid == &ws.fg && layout.cols >= SideCols;
    const LineFolding folding = ws.textFolding();
    for (int r = 0; r < grid.rows(); ++r) {
        const lxw_row_t row = FirstGridRow + lxw_row_t(r);
        const bool header = r < layout.headerRows;
        LineMarks marks;
        const bool marked = inlineMarks && !header && isChangedPair(grid, r, ws.txtState[0]);
        if (marked) {
            ResultGrid::TextBuffer left, right;
            marks = diffCharacters(grid.textView(r, 1, left), grid.textView(r, 3, right), folding);
        }
        // Text and binary grids: each half takes the colour of its text column.
        lxw_color_t leftFill = HeaderGrey;
        lxw_color_t rightFill = HeaderGrey;
        if (!header && !layout.folder) {
            leftFill = layout.cols > 1 ? fillOf(grid.backColor(r, 1)) : NoFill;
            rightFill = layout.cols > 3 ? fillOf(grid.backColor(r, 3)) : NoFill;
        }
        for (int c = 0; c < layout.cols; ++c) {
            lxw_color_t fill;
            if (header)
                fill = HeaderGrey;
            else if (layout.folder)
                fill = fillOf(grid.backColor(r, c));
            else
                fill = c < 2 ? leftFill : rightFill;
            const bool centred = !layout.folder && (c == 0 || c == 2);
            if (marked && (c == 1 || c == 3)) {
                if (!out.marked(grid, r, c, row, FirstGridCol + lxw_col_t(c),
                                c == 1 ? marks.left : marks.right, formats, fill))
                    return false;
                continue;
            }
            if (!out.cell(grid, r, c, row, FirstGridCol + lxw_col_t(c),
                          formats.get(fill, true, centred)))
                return false;
        }
    }
    return true;
}

} // namespace

WriteResult ExportExcel(const Workspace &ws, const ResultGrid &grid, const QString &path) {
    if (path.isEmpty())
        return WriteResult::failure(QString::fromLocal8Bit(std::strerror(ENOENT)));
    // A result longer than a worksheet is refused whole rather than cut short.
    if (qint64(grid.rows()) + qint64(FirstGridRow) > qint64(LXW_ROW_MAX))
        return WriteResult::failure(ExportTexts::TooManyRows);
    return XlsxSupport::writeWorkbook(
        path, [&](lxw_workbook *book) { return writeSheet(book, ws, grid); },
        ExportTexts::WorkbookFailed, false);
}
