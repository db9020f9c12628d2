#pragma once

#include "engine/ResultGrid.h"

#include <QAbstractTableModel>

// A Qt model over a ResultGrid, so that a QTableView shows it without any item objects: the
// data rows of the grid are the model's rows (grid row = model row + fixed rows); the fixed
// header rows are the horizontal header (several fixed rows are joined with a line break).
// Cell back colours other than the grid's default colour are the background role.
class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultGridModel(ResultGrid *grid, QObject *parent = nullptr);

    ResultGrid *grid() const { return m_grid; }
    int gridRow(int modelRow) const { return modelRow + m_grid->fixedRows(); }
    int modelRow(int gridRow) const { return gridRow - m_grid->fixedRows(); }

    // Colour conversion between the grid's 0x00BBGGRR values and QColor.
    static QColor toQColor(Color color);
    static Color fromQColor(const QColor &color);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    ResultGrid *m_grid;
};
