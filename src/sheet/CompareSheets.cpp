#include "sheet/CompareSheets.h"

#include "platform/NativePath.h"
#include "platform/XlsxSupport.h"
#include "sheet/XlsxExactNumbers.h"

#include <QSet>
#include <QStringEncoder>

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <vector>

using namespace XlsxSupport;

namespace {

// Why a sheet could not be written when the library does not say.
const QString SheetWriteFailed = QStringLiteral("ブックを書き出せません");

bool isNumeric(const CellValue &v) {
    return v.kind == CellValue::Kind::Number || v.kind == CellValue::Kind::Boolean;
}

} // namespace

bool cellValuesEqual(const CellValue &a, const CellValue &b, int digits) {
    using Kind = CellValue::Kind;
    // An empty cell stands for both the empty text and 0; the empty text is a text, though, and
    // no text equals a number.
    if (a.kind == Kind::Empty && b.kind == Kind::Empty)
        return true;
    if (a.kind == Kind::Empty)
        return (b.kind == Kind::Text && b.text.isEmpty()) || (isNumeric(b) && b.number == 0);
    if (b.kind == Kind::Empty)
        return cellValuesEqual(b, a);
    // A NaN stored in a file is a value like any other: the same NaN on both sides is no change.
    if (isNumeric(a) && isNumeric(b))
        return a.number == b.number || (std::isnan(a.number) && std::isnan(b.number)) ||
               (digits > 0 && comparedNumber(a.number, digits) == comparedNumber(b.number, digits));
    if (a.kind == Kind::Text && b.kind == Kind::Text)
        return a.text == b.text;
    // An error equals the same error only, never the text that spells it.
    if (a.kind == Kind::Error && b.kind == Kind::Error)
        return a.text == b.text;
    return false;
}

namespace {

const CellValue NoValue;

// A cell as the comparison sees it: its value and, when formulas are compared, its formula.
struct CellRef {
    quint64 first = 0; // the key
    const CellValue *second = &NoValue;
    const QString *formula = nullptr;

    // A formula whose result the file does not hold (written by a script, never calculated).
    bool uncalculated() const { return formula && second->kind == CellValue::Kind::Empty; }
    bool isEmpty() const { return second->isEmpty() && !formula; }
};

bool cellsEqual(const CellRef &l, const CellRef &r, const SheetCompareRules &rules) {
    // Without a result on one side only the formulas can be compared.
    if (l.uncalculated() || r.uncalculated())
        return l.formula && r.formula && *l.formula == *r.formula;
    if ((l.formula != nullptr) != (r.formula != nullptr) || (l.formula && *l.formula != *r.formula))
        return false;
    return cellValuesEqual(*l.second, *r.second, rules.digits);
}

CellState stateOf(const CellRef &l, const CellRef &r) {
    if (l.isEmpty() && !r.isEmpty())
        return CellState::RightOnly;
    if (!l.isEmpty() && r.isEmpty())
        return CellState::LeftOnly;
    return CellState::Changed;
}

bool inRange(quint64 key, int lastRow, int lastCol) {
    const int row = int(key >> 32);
    const int col = int(key & 0xFFFFFFFFu);
    return row >= 1 && row <= lastRow && col >= 1 && col <= lastCol;
}

// The cells of a sheet inside the compared columns and rows, in row-major order; with formulas,
// each with its formula, a formula without a result among them.
std::vector<CellRef> sortedCells(const Sheet &sheet, int lastRow, int lastCol, bool formulas) {
    std::vector<CellRef> cells;
    cells.reserve(size_t(sheet.cells.size()));
    for (auto it = sheet.cells.constBegin(); it != sheet.cells.constEnd(); ++it) {
        if (inRange(it.key(), lastRow, lastCol))
            cells.push_back({it.key(), &it.value(), nullptr});
    }
    if (!formulas || sheet.formulas.isEmpty())
        return cells; // the store keeps its cells in key order
    for (CellRef &cell : cells) {
        const auto found = sheet.formulas.constFind(cell.first);
        if (found != sheet.formulas.constEnd())
            cell.formula = &*found;
    }
    const size_t held = cells.size();
    for (auto it = sheet.formulas.constBegin(); it != sheet.formulas.constEnd(); ++it) {
        if (inRange(it.key(), lastRow, lastCol) && !sheet.cells.contains(it.key()))
            cells.push_back({it.key(), &NoValue, &it.value()});
    }
    if (cells.size() != held) {
        const auto byKey = [](const CellRef &a, const CellRef &b) { return a.first < b.first; };
        std::sort(cells.begin() + qsizetype(held), cells.end(), byKey);
        std::inplace_merge(cells.begin(), cells.begin() + qsizetype(held), cells.end(), byKey);
    }
    return cells;
}

struct CellSpan {
    const CellRef *begin = nullptr;
    const CellRef *end = nullptr;
};

// The cells of one sheet row (none for row 0).
CellSpan rowCells(const std::vector<CellRef> &cells, int row) {
    if (row <= 0)
        return {};
    const auto less = [](const CellRef &a, quint64 key) { return a.first < key; };
    const CellRef *all = cells.data();
    const CellRef *end = all + cells.size();
    const CellRef *first = std::lower_bound(all, end, Sheet::key(row, 0), less);
    return {first, std::lower_bound(first, end, Sheet::key(row + 1, 0), less)};
}

// Merges two runs of cells in key order; a cell absent on one side is the empty cell there.
// Two cells absent on both sides are equal, so only the cells either side holds can differ.
template <typename OnDifference>
void compareRuns(CellSpan left, CellSpan right, const SheetCompareRules &rules,
                 OnDifference onDifference) {
    const CellRef none;
    while (left.begin != left.end || right.begin != right.end) {
        // An exhausted side sorts after every real key.
        const quint64 keyL = left.begin != left.end ? left.begin->first : ~quint64(0);
        const quint64 keyR = right.begin != right.end ? right.begin->first : ~quint64(0);
        const quint64 key = std::min(keyL, keyR);
        const CellRef &cellL = keyL == key ? *(left.begin++) : none;
        const CellRef &cellR = keyR == key ? *(right.begin++) : none;
        if (!cellsEqual(cellL, cellR, rules))
            onDifference(key, stateOf(cellL, cellR));
    }
}

// Records every differing cell of the facing sheet rows in the result's row-major order.
void collectDifferences(const Sheet &left, const Sheet &right, const SheetCompareRules &rules,
                        SheetComparison &result) {
    const std::vector<CellRef> cellsL =
        sortedCells(left, result.lastRow, result.lastCol, rules.formulas);
    const std::vector<CellRef> cellsR =
        sortedCells(right, result.lastRow, result.lastCol, rules.formulas);
    if (result.rowPairs.empty()) {
        // Row r faces row r: one merge over both whole sheets.
        compareRuns({cellsL.data(), cellsL.data() + cellsL.size()},
                    {cellsR.data(), cellsR.data() + cellsR.size()}, rules,
                    [&](quint64 key, CellState state) {
                        const int row = int(key >> 32);
                        const int col = int(key & 0xFFFFFFFFu);
                        result.differences.push_back({row, col, row, row, state});
                    });
        return;
    }
    std::vector<CellRef> shiftedR;
    for (int r = 1; r <= result.rowCount(); ++r) {
        const int rowL = result.sheetRow(0, r), rowR = result.sheetRow(1, r);
        // The right row's cells keyed as the left row's, so the two merge by column.
        const CellSpan spanR = rowCells(cellsR, rowR);
        shiftedR.clear();
        for (const CellRef *c = spanR.begin; c != spanR.end; ++c)
            shiftedR.push_back(
                {Sheet::key(rowL, int(c->first & 0xFFFFFFFFu)), c->second, c->formula});
        compareRuns(rowCells(cellsL, rowL), {shiftedR.data(), shiftedR.data() + shiftedR.size()},
                    rules, [&](quint64 key, CellState state) {
                        const int col = int(key & 0xFFFFFFFFu);
                        result.differences.push_back({r, col, rowL, rowR, state});
                    });
    }
}

} // namespace

SheetComparison compareSheets(const Sheet &left, const Sheet &right,
                              const std::array<Color, 3> &legend, bool alignRows,
                              const std::function<bool()> &stop, const SheetCompareRules &rules) {
    SheetComparison result;
    result.lastRow = std::max(left.lastRow, right.lastRow);
    result.lastCol = std::max(left.lastCol, right.lastCol);
    if (alignRows) {
        // The matching asks only every so often: a stop already given counts at once.
        std::optional<std::vector<RowPair>> pairs;
        if (!stop || !stop())
            pairs = alignSheetRows(left, right, result.lastCol, stop, rules);
        if (!pairs) {
            result.stopped = true;
            return result;
        }
        result.rowPairs = std::move(*pairs);
    }
    collectDifferences(left, right, rules, result);

    const Color changed = legend[0];
    const Color added = legend[1];
    const Color deleted = legend[2];
    result.changedCells = int(result.differences.size());
    for (const CellDifference &d : result.differences) {
        // The side that holds the value takes "追加", the side that lacks it "削除".
        const Color colorL = d.state == CellState::Changed    ? changed
                             : d.state == CellState::LeftOnly ? added
                                                              : deleted;
        const Color colorR = d.state == CellState::Changed    ? changed
                             : d.state == CellState::LeftOnly ? deleted
                                                              : added;
        if (d.leftRow > 0)
            result.leftColors.insert(Sheet::key(d.leftRow, d.col), colorL);
        if (d.rightRow > 0)
            result.rightColors.insert(Sheet::key(d.rightRow, d.col), colorR);
    }
    return result;
}

namespace {

// Colours here are 0x00BBGGRR, the library wants 0xRRGGBB. Values above 24 bits are system
// colour codes: such a cell keeps no fill of its own.

class SheetWriter {
public:
    SheetWriter(lxw_workbook *book, lxw_worksheet *sheet, QHash<QByteArray, QByteArray> &exact)
        : m_book(book), m_sheet(sheet), m_exact(exact) {}

    // One format per fill colour and number format: the library keeps each until the
    // workbook closes. numberFormat empty: General.
    lxw_format *format(lxw_color_t fill, const QString &numberFormat) {
        if (fill == NoFill && numberFormat.isEmpty())
            return nullptr;
        const auto key = std::make_pair(fill, numberFormat);
        const auto found = m_formats.find(key);
        if (found != m_formats.end())
            return found->second;
        lxw_format *f = workbook_add_format(m_book);
        if (f && fill != NoFill) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, fill);
        }
        if (f && !numberFormat.isEmpty())
            format_set_num_format(f, numberFormat.toUtf8().constData());
        m_formats.emplace(key, f);
        return f;
    }

    bool write(lxw_row_t row, lxw_col_t col, const CellValue &value, lxw_format *format) {
        lxw_error result = LXW_NO_ERROR;
        switch (value.kind) {
        case CellValue::Kind::Number:
            result = worksheet_write_number(m_sheet, row, col, value.number, format);
            if (const auto exact = exactTextIfLost(value.number))
                m_exact.insert(ColumnLetters(int(col) + 1).toLatin1() + QByteArray::number(row + 1),
                               *exact);
            break;
        case CellValue::Kind::Boolean:
            result = worksheet_write_boolean(m_sheet, row, col, value.number != 0, format);
            break;
        case CellValue::Kind::Text:
        case CellValue::Kind::Error: // written as its text: the error itself has no writer
            if (!value.text.isEmpty()) {
                result = worksheet_write_string(m_sheet, row, col, utf8(value.text), format);
                break;
            }
            [[fallthrough]];
        case CellValue::Kind::Empty:
            // A blank carries only its fill; without one there is nothing to write.
            if (format)
                result = worksheet_write_blank(m_sheet, row, col, format);
            break;
        }
        return result == LXW_NO_ERROR;
    }

private:
    const char *utf8(QStringView s) { return m_text.utf8(s); }

    lxw_workbook *m_book;
    lxw_worksheet *m_sheet;
    QHash<QByteArray, QByteArray> &m_exact; // numbers the library would round, by address
    std::map<std::pair<lxw_color_t, QString>, lxw_format *> m_formats;
    CellText m_text;
};

// The application refuses these characters in a sheet name, and names over 31 characters.
bool validSheetName(const QString &name) {
    if (name.isEmpty() || name.size() > 31 || name.startsWith(u'\'') || name.endsWith(u'\''))
        return false;
    for (const QChar c : name) {
        if (QStringView(u"[]:*?/\\").contains(c))
            return false;
    }
    return true;
}

bool writeSheet(lxw_workbook *book, const Sheet &sheet, const QHash<quint64, Color> &colors,
                int zoomPercent, QHash<QByteArray, QByteArray> &exact) {
    const QByteArray name = sheet.name.toUtf8();
    lxw_worksheet *ws =
        workbook_add_worksheet(book, validSheetName(sheet.name) ? name.constData() : nullptr);
    if (!ws)
        return false;
    // Zoom as the settings give it; the library takes 10 to 400 per cent.
    if (zoomPercent >= 10 && zoomPercent <= 400)
        worksheet_set_zoom(ws, uint16_t(zoomPercent));
    for (const ColumnWidth &w : sheet.columnWidths) {
        if (w.first < 1 || w.last < w.first || w.last > WorkbookLimits::MaxCols)
            continue;
        if (worksheet_set_column(ws, lxw_col_t(w.first - 1), lxw_col_t(w.last - 1), w.width,
                                 nullptr) != LXW_NO_ERROR)
            return false;
    }

    // Constant-memory mode takes the cells row by row, left to right: the keys sort that way.
    std::vector<quint64> keys;
    keys.reserve(size_t(sheet.cells.size()));
    for (auto it = sheet.cells.constBegin(); it != sheet.cells.constEnd(); ++it)
        keys.push_back(it.key());
    for (auto it = colors.keyBegin(); it != colors.keyEnd(); ++it) {
        if (!sheet.cells.contains(*it))
            keys.push_back(*it);
    }
    std::sort(keys.begin(), keys.end());

    SheetWriter out(book, ws, exact);
    const CellValue none;
    for (const quint64 key : keys) {
        const int row = int(key >> 32);
        const int col = int(key & 0xFFFFFFFFu);
        if (!(row >= 1 && col >= 1 && row <= WorkbookLimits::MaxRows &&
              col <= WorkbookLimits::MaxCols))
            continue;
        const auto color = colors.constFind(key);
        const auto cell = sheet.cells.constFind(key);
        const CellValue &value = cell == sheet.cells.constEnd() ? none : *cell;
        // The cell keeps its number format (dates stay dates), with the fill added.
        lxw_format *format = out.format(color == colors.constEnd() ? NoFill : fillOf(*color),
                                        sheet.numberFormat(value));
        if (!out.write(lxw_row_t(row - 1), lxw_col_t(col - 1), value, format))
            return false;
    }
    return true;
}

} // namespace

WriteResult writeColouredSheet(const Sheet &sheet, const QHash<quint64, Color> &colors,
                               int zoomPercent, const QString &path) {
    // The library's own scratch files go beside the target too, not into a shared folder.
    QHash<QByteArray, QByteArray> exact;
    return XlsxSupport::writeWorkbook(
        path,
        [&](lxw_workbook *book) { return writeSheet(book, sheet, colors, zoomPercent, exact); },
        SheetWriteFailed, true,
        [&](const QString &written) { return restoreExactNumbers(written, exact); });
}
