#pragma once

// The format readers behind readWorkbook, and what they share. Not for use elsewhere.

#include "sheet/Workbook.h"

#include <QString>

#include <algorithm>
#include <functional>
#include <optional>

namespace WorkbookText {
inline const QString CannotOpen = QStringLiteral("ファイルを開けません");
inline const QString Damaged = QStringLiteral("壊れたファイルです");
inline const QString Encrypted = QStringLiteral("暗号化されています");
inline const QString TooLarge = QStringLiteral("大きすぎます");
inline const QString NotWorkbook = QStringLiteral("ブックではありません");
inline const QString UnknownFormat = QStringLiteral("対応していない形式です");
inline const QString Stopped = QStringLiteral("中断しました");
} // namespace WorkbookText

// Collects one sheet's cells: tracks the used range over every cell handed in, and keeps the
// cells only when asked to, counting them against the read's shared budget.
class SheetBuilder {
public:
    SheetBuilder(Sheet &sheet, bool keepCells, qsizetype &cellBudget)
        : m_sheet(sheet), m_keep(keepCells), m_budget(cellBudget) {}
    // The cells end in key order, however they came.
    ~SheetBuilder() { m_budget += m_sheet.cells.settle(); }
    SheetBuilder(const SheetBuilder &) = delete;
    SheetBuilder &operator=(const SheetBuilder &) = delete;

    // Room for about this many kept cells, so that a large sheet is not moved as it grows.
    void expect(qsizetype cells) {
        if (m_keep)
            m_sheet.cells.reserve(std::min(cells, m_budget));
    }

    // row and col are 1-based and must lie on the worksheet. A cell of kind Empty only widens
    // the used range (a formatted blank). False when the budget is spent.
    bool add(int row, int col, CellValue value) {
        if (m_sheet.lastRow == 0) {
            m_sheet.firstRow = m_sheet.lastRow = row;
            m_sheet.firstCol = m_sheet.lastCol = col;
        } else {
            m_sheet.firstRow = std::min(m_sheet.firstRow, row);
            m_sheet.lastRow = std::max(m_sheet.lastRow, row);
            m_sheet.firstCol = std::min(m_sheet.firstCol, col);
            m_sheet.lastCol = std::max(m_sheet.lastCol, col);
        }
        if (!m_keep || value.kind == CellValue::Kind::Empty)
            return true;
        // A repeated cell replaces the earlier one, as in a rewrite; only new cells count.
        // Repeats out of order are counted until the cells are settled, which gives them back.
        if (m_budget == 0)
            m_budget += m_sheet.cells.settle();
        if (m_budget > 0) {
            if (m_sheet.cells.append(Sheet::key(row, col), std::move(value)))
                --m_budget;
            return true;
        }
        auto found = m_sheet.cells.find(Sheet::key(row, col));
        if (found == m_sheet.cells.end())
            return false;
        *found = std::move(value);
        return true;
    }

private:
    Sheet &m_sheet;
    bool m_keep;
    qsizetype &m_budget;
};

inline bool onWorksheet(qint64 row, qint64 col) {
    return row >= 1 && row <= WorkbookLimits::MaxRows && col >= 1 && col <= WorkbookLimits::MaxCols;
}

// Days since the application's epoch for a calendar date, with its fictitious 29 February 1900
// kept, so that dates from 1 March 1900 on get the serial numbers the application shows.
double dateSerial(int year, int month, int day);

std::optional<Workbook> readXlsx(const QString &path, bool cells, QString *error);
// .xls: the compound file's workbook stream, read record by record. stop (may be empty) is
// asked while the file and its records are read.
std::optional<Workbook> readXls(const QString &path, bool cells, QString *error,
                                const std::function<bool()> &stop);
// The same on a file's bytes already in memory.
std::optional<Workbook> readXlsBytes(const QByteArray &bytes, bool cells, QString *error,
                                     const std::function<bool()> &stop = {});
std::optional<Workbook> readCsv(const QString &path, bool cells, QString *error);
std::optional<Workbook> readOds(const QString &path, bool cells, QString *error);
