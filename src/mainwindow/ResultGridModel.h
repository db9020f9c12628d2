#pragma once

#include "engine/ResultGrid.h"

#include <QAbstractTableModel>

#include <functional>
#include <optional>
#include <vector>

// A Qt model over a ResultGrid, so that a QTableView shows it without any item objects: the
// data rows of the grid are the model's rows (grid row = model row + fixed rows); the fixed
// header rows are the horizontal header (several fixed rows are joined with a line break).
// Cell back colours other than the grid's default colour are the background role.
//
// A row map (optional) shows only some data rows: model row k is then grid row map[k], the
// map ascending. Without one every data row is shown.
class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultGridModel(ResultGrid *grid, QObject *parent = nullptr);

    ResultGrid *grid() const { return m_grid; }
    int gridRow(int modelRow) const {
        return m_map ? (*m_map)[size_t(modelRow)] : modelRow + m_grid->fixedRows();
    }
    // -1 when the row map hides gridRow.
    int modelRow(int gridRow) const;
    // The last shown row at or above gridRow (the first shown row when none is).
    int shownModelRowAtOrBefore(int gridRow) const;

    // Asked for the row map at every reset of the model (the grid's contents changed);
    // nullopt shows every row.
    using RowMapSource = std::function<std::optional<std::vector<int>>()>;
    void setRowMapSource(RowMapSource source);
    bool hasRowMap() const { return m_map.has_value(); }
    // The grid rows shown, ascending; null without a row map.
    const std::vector<int> *rowMap() const { return m_map ? &*m_map : nullptr; }
    // Shows gridRows (ascending, hidden until now, all between the grid rows of model rows
    // modelRow - 1 and modelRow) from model row modelRow on.
    void showRows(int modelRow, const std::vector<int> &gridRows);
    // Hides count model rows from modelRow on.
    void hideRows(int modelRow, int count);
    // Shows gridRows (ascending) in place of every row shown now.
    void replaceShownRows(std::vector<int> gridRows);
    // Asked to show a hidden grid row before it becomes the current row.
    std::function<void(int gridRow)> revealRow;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    ResultGrid *m_grid;
    RowMapSource m_mapSource;
    std::optional<std::vector<int>> m_map;
};
