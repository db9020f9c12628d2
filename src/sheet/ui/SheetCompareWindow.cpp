#include "sheet/ui/SheetCompareWindow.h"

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString WindowTitle = QStringLiteral("シート比較 - %1 / %2");
const QString PreviousCaption = QStringLiteral("前の差分(&P)");
const QString NextCaption = QStringLiteral("次の差分(&N)");
const QString ChangedCells = QStringLiteral("差分のあるセル数=%1");
const QString EndReached = QStringLiteral("終端まで検索しました");

// Colours are stored as 0x00BBGGRR.
QColor toQColor(Color color) {
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

int keyRow(quint64 key) {
    return int(key >> 32);
}
int keyCol(quint64 key) {
    return int(key & 0xFFFFFFFFu);
}

} // namespace

SheetTableModel::SheetTableModel(const Sheet *sheet, const QHash<quint64, Color> *colors, int rows,
                                 int cols, QObject *parent)
    : QAbstractTableModel(parent), m_sheet(sheet), m_colors(colors), m_rows(rows), m_cols(cols) {}

int SheetTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int SheetTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_cols;
}

QVariant SheetTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const int row = sheetRow(index.row());
    if (row == 0)
        return {}; // a gap where the other side has a row of its own
    const quint64 key = Sheet::key(row, index.column() + 1);
    switch (role) {
    case Qt::DisplayRole: {
        const auto it = m_sheet->cells.constFind(key);
        return it == m_sheet->cells.constEnd() ? QVariant() : QVariant(it->displayText());
    }
    case Qt::BackgroundRole: {
        const auto it = m_colors->constFind(key);
        return it == m_colors->constEnd() ? QVariant() : QVariant(toQColor(*it));
    }
    case Qt::TextAlignmentRole: {
        // Numbers stand to the right as in a spreadsheet, everything else to the left.
        const auto it = m_sheet->cells.constFind(key);
        const bool number = it != m_sheet->cells.constEnd() && it->kind == CellValue::Kind::Number;
        return QVariant::fromValue(Qt::Alignment(Qt::AlignVCenter) |
                                   (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    default:
        return {};
    }
}

QVariant SheetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return ColumnLetters(section + 1);
    const int row = sheetRow(section);
    return row == 0 ? QString() : QString::number(row);
}

SheetCompareWindow::SheetCompareWindow(Sheet left, Sheet right, SheetComparison comparison,
                                       const QString &leftTitle, const QString &rightTitle,
                                       QWidget *parent)
    : QWidget(parent, Qt::Window), m_sheets{std::move(left), std::move(right)},
      m_comparison(std::move(comparison)) {
    setWindowTitle(WindowTitle.arg(m_sheets[0].name, m_sheets[1].name));

    // Differences come in the result's row-major order, as the walk takes them.
    m_diffKeys.reserve(m_comparison.differences.size());
    for (const CellDifference &d : m_comparison.differences)
        m_diffKeys.push_back(Sheet::key(d.row, d.col));

    // Both tables span the whole compared range, so their scroll ranges match.
    const int rows =
        m_comparison.rowPairs.empty()
            ? std::max({m_comparison.lastRow, m_sheets[0].lastRow, m_sheets[1].lastRow})
            : m_comparison.rowCount();
    const int cols = std::max({m_comparison.lastCol, m_sheets[0].lastCol, m_sheets[1].lastCol});
    const QHash<quint64, Color> *colors[2] = {&m_comparison.leftColors, &m_comparison.rightColors};
    const QString titles[2] = {leftTitle, rightTitle};

    auto *tables = new QHBoxLayout;
    for (int side = 0; side < 2; ++side) {
        m_models[side] = new SheetTableModel(&m_sheets[side], colors[side], rows, cols, this);
        if (!m_comparison.rowPairs.empty())
            m_models[side]->setRowMap(&m_comparison, side);
        auto *view = new QTableView(this);
        view->setModel(m_models[side]);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setWordWrap(false);
        m_views[side] = view;
        auto *column = new QVBoxLayout;
        auto *title = new QLabel(titles[side], this);
        title->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(title);
        column->addWidget(view, 1);
        tables->addLayout(column, 1);
    }

    // Scrolling, column widths and the current cell follow from one side to the other.
    for (int side = 0; side < 2; ++side) {
        QTableView *from = m_views[side];
        QTableView *to = m_views[1 - side];
        connect(from->verticalScrollBar(), &QScrollBar::valueChanged, to->verticalScrollBar(),
                &QScrollBar::setValue);
        connect(from->horizontalScrollBar(), &QScrollBar::valueChanged, to->horizontalScrollBar(),
                &QScrollBar::setValue);
        connect(from->horizontalHeader(), &QHeaderView::sectionResized, to,
                [to](int section, int, int size) {
                    if (to->columnWidth(section) != size)
                        to->setColumnWidth(section, size);
                });
        connect(from->verticalHeader(), &QHeaderView::sectionResized, to,
                [to](int section, int, int size) {
                    if (to->rowHeight(section) != size)
                        to->setRowHeight(section, size);
                });
        connect(from->selectionModel(), &QItemSelectionModel::currentChanged, to,
                [to](const QModelIndex &current) {
                    const QModelIndex there = to->currentIndex();
                    if (current.isValid() &&
                        (there.row() != current.row() || there.column() != current.column()))
                        to->setCurrentIndex(to->model()->index(current.row(), current.column()));
                });
    }

    m_previous = new QPushButton(PreviousCaption, this);
    m_next = new QPushButton(NextCaption, this);
    m_previous->setToolTip(QStringLiteral("Shift+F3"));
    m_next->setToolTip(QStringLiteral("F3"));
    connect(m_previous, &QPushButton::clicked, this, [this] { moveToDifference(false); });
    connect(m_next, &QPushButton::clicked, this, [this] { moveToDifference(true); });
    auto *previousKey = new QAction(this);
    previousKey->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(previousKey, &QAction::triggered, this, [this] { moveToDifference(false); });
    auto *nextKey = new QAction(this);
    nextKey->setShortcut(QKeySequence(Qt::Key_F3));
    connect(nextKey, &QAction::triggered, this, [this] { moveToDifference(true); });
    addAction(previousKey);
    addAction(nextKey);

    m_status = new QLabel(this);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_previous);
    bottom->addWidget(m_next);
    bottom->addWidget(m_status, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tables, 1);
    layout->addLayout(bottom);
    showCount();
    resize(1000, 600);
}

QString SheetCompareWindow::statusText() const {
    return m_status->text();
}

void SheetCompareWindow::showCount(const QString &extra) {
    QString text = ChangedCells.arg(m_comparison.changedCells);
    if (!extra.isEmpty())
        text += QStringLiteral("  ") + extra;
    m_status->setText(text);
}

void SheetCompareWindow::moveToDifference(bool forward) {
    const QModelIndex current = m_views[0]->currentIndex();
    // Without a current cell the walk starts before A1 (forward) or after the last cell.
    std::vector<quint64>::const_iterator found = m_diffKeys.cend();
    if (forward) {
        const auto from =
            current.isValid()
                ? std::upper_bound(m_diffKeys.cbegin(), m_diffKeys.cend(),
                                   Sheet::key(current.row() + 1, current.column() + 1))
                : m_diffKeys.cbegin();
        found = from;
    } else {
        const auto to = current.isValid()
                            ? std::lower_bound(m_diffKeys.cbegin(), m_diffKeys.cend(),
                                               Sheet::key(current.row() + 1, current.column() + 1))
                            : m_diffKeys.cend();
        if (to != m_diffKeys.cbegin())
            found = to - 1;
    }
    if (found == m_diffKeys.cend()) {
        showCount(EndReached);
        QApplication::beep();
        return;
    }
    selectCell(keyRow(*found), keyCol(*found));
    showCount();
}

void SheetCompareWindow::selectCell(int row, int col) {
    for (QTableView *view : m_views) {
        const QModelIndex index = view->model()->index(row - 1, col - 1);
        view->setCurrentIndex(index);
        view->scrollTo(index);
    }
    m_views[0]->setFocus();
}
