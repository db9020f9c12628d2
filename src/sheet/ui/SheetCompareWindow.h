#pragma once

#include "sheet/CompareSheets.h"
#include "sheet/Workbook.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTableView;

// A read-only table over one sheet and the comparison's colours for it. Rows and columns are
// those of the compared range; cells are read from the sparse sheet when the view asks, so a
// huge sheet costs no more than its non-empty cells.
class SheetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    SheetTableModel(const Sheet *sheet, const QHash<quint64, Color> *colors, int rows, int cols,
                    QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Rows of the model become rows of the sheet through the comparison's row pairing (side
    // 0 left, 1 right); a row where the side has none shows empty.
    void setRowMap(const SheetComparison *comparison, int side) {
        m_rowMap = comparison;
        m_side = side;
    }

    // What the cell shows (1-based), through its number format.
    QString shownText(int row, int col) const;

private:
    int sheetRow(int modelRow) const {
        return m_rowMap ? m_rowMap->sheetRow(m_side, modelRow + 1) : modelRow + 1;
    }

    const Sheet *m_sheet;
    const QHash<quint64, Color> *m_colors;
    int m_rows;
    int m_cols;
    const SheetComparison *m_rowMap = nullptr;
    int m_side = 0;
};

// Two compared sheets side by side, scrolled together, with a walk over the coloured cells.
class SheetCompareWindow : public QWidget {
    Q_OBJECT
public:
    // leftTitle/rightTitle name each side above its table (file and sheet).
    SheetCompareWindow(Sheet left, Sheet right, SheetComparison comparison,
                       const QString &leftTitle, const QString &rightTitle,
                       QWidget *parent = nullptr);

    QTableView *view(int side) const { return m_views[side]; }
    SheetTableModel *model(int side) const { return m_models[side]; }
    QString statusText() const;
    // The line under the tables: the current cell's address, both values, formula texts.
    QString detailText() const;

    // Moves both sides to the next (or previous) coloured cell in row order; at the end the
    // current cell stays and the status line says so.
    void moveToDifference(bool forward);

private:
    void selectCell(int row, int col); // 1-based
    void showCount(const QString &extra = QString());
    void showDetail(const QModelIndex &current);
    void fitMultiLineRows();

    Sheet m_sheets[2];
    SheetComparison m_comparison;
    std::vector<quint64> m_diffKeys; // coloured cells, sorted: row-major order
    SheetTableModel *m_models[2] = {};
    QTableView *m_views[2] = {};
    QLabel *m_status = nullptr;
    QLabel *m_detail = nullptr;
    // Until the user or the walk puts the current cell somewhere, F3 starts before A1: the
    // cell the table makes current on its own is no place the user chose.
    bool m_walkStarted = false;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
};
