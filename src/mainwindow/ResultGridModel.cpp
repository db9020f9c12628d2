#include "mainwindow/ResultGridModel.h"
#include "engine/ui/ColourConversion.h"

#include <QColor>
#include <QStringList>

#include <algorithm>
#include <utility>

ResultGridModel::ResultGridModel(ResultGrid *grid, QObject *parent)
    : QAbstractTableModel(parent), m_grid(grid) {
    // A comparison run switches redrawing off and sends one change when it is done, so a full
    // reset per notification costs one view refresh, never one per cell.
    connect(m_grid, &ResultGrid::contentsChanged, this, [this] {
        beginResetModel();
        m_map = m_mapSource ? m_mapSource() : std::nullopt;
        endResetModel();
    });
}

int ResultGridModel::modelRow(int gridRow) const {
    if (!m_map)
        return gridRow - m_grid->fixedRows();
    const auto found = std::lower_bound(m_map->begin(), m_map->end(), gridRow);
    return found != m_map->end() && *found == gridRow ? int(found - m_map->begin()) : -1;
}

int ResultGridModel::shownModelRowAtOrBefore(int gridRow) const {
    if (!m_map)
        return gridRow - m_grid->fixedRows();
    const auto after = std::upper_bound(m_map->begin(), m_map->end(), gridRow);
    return std::max(0, int(after - m_map->begin()) - 1);
}

void ResultGridModel::setRowMapSource(RowMapSource source) {
    m_mapSource = std::move(source);
    beginResetModel();
    m_map = m_mapSource ? m_mapSource() : std::nullopt;
    endResetModel();
}

void ResultGridModel::showRows(int modelRow, const std::vector<int> &gridRows) {
    if (!m_map || gridRows.empty())
        return;
    beginInsertRows(QModelIndex(), modelRow, modelRow + int(gridRows.size()) - 1);
    m_map->insert(m_map->begin() + modelRow, gridRows.begin(), gridRows.end());
    endInsertRows();
}

void ResultGridModel::replaceShownRows(std::vector<int> gridRows) {
    if (!m_map)
        return;
    // Removed and inserted rather than reset, so that views keep their columns and the
    // window sees the rows shown change.
    if (!m_map->empty()) {
        beginRemoveRows(QModelIndex(), 0, int(m_map->size()) - 1);
        m_map->clear();
        endRemoveRows();
    }
    if (gridRows.empty())
        return;
    beginInsertRows(QModelIndex(), 0, int(gridRows.size()) - 1);
    *m_map = std::move(gridRows);
    endInsertRows();
}

void ResultGridModel::hideRows(int modelRow, int count) {
    if (!m_map || count <= 0)
        return;
    beginRemoveRows(QModelIndex(), modelRow, modelRow + count - 1);
    m_map->erase(m_map->begin() + modelRow, m_map->begin() + modelRow + count);
    endRemoveRows();
}

int ResultGridModel::rowCount(const QModelIndex &parent) const {
    if (parent.isValid())
        return 0;
    if (m_map)
        return int(m_map->size());
    return std::max(0, m_grid->rows() - m_grid->fixedRows());
}

int ResultGridModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_grid->cols();
}

static QVariant alignmentFor(int code) {
    switch (code) {
    case ResultGrid::AlignLeftCenter:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case ResultGrid::AlignRightCenter:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    default:
        return QVariant();
    }
}

QVariant ResultGridModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const int r = gridRow(index.row());
    const int c = index.column();
    switch (role) {
    case Qt::DisplayRole:
        // A string of its own: the view may hold it past the next comparison, which releases
        // the source texts the cells point into.
        return m_grid->text(r, c);
    case Qt::BackgroundRole: {
        const Color color = m_grid->backColor(r, c);
        if (color == ResultGrid::DefaultColor)
            return QVariant();
        return toQColor(color);
    }
    case Qt::TextAlignmentRole: {
        const int code = m_grid->colAlignment(c);
        // General alignment (no code set): numbers to the right, text to the left.
        if (code != ResultGrid::AlignLeftCenter && code != ResultGrid::AlignRightCenter)
            return alignmentFor(m_grid->numberAt(r, c) >= 0 ? ResultGrid::AlignRightCenter
                                                            : ResultGrid::AlignLeftCenter);
        return alignmentFor(code);
    }
    default:
        return QVariant();
    }
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_grid->cols())
        return QAbstractTableModel::headerData(section, orientation, role);
    const int fixed = std::min(m_grid->fixedRows(), m_grid->rows());
    switch (role) {
    case Qt::DisplayRole: {
        QStringList lines;
        for (int r = 0; r < fixed; ++r)
            lines << m_grid->text(r, section);
        return lines.join(QLatin1Char('\n'));
    }
    case Qt::TextAlignmentRole:
        return alignmentFor(m_grid->colAlignment(section));
    default:
        return QVariant();
    }
}
