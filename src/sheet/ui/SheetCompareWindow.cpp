#include "sheet/ui/SheetCompareWindow.h"

#include "engine/ui/ColourConversion.h"
#include "sheet/CellFormat.h"

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString WindowTitle = QStringLiteral("シート比較 - %1 / %2");
const QString PreviousCaption = QStringLiteral("前の差分(&P)");
const QString NextCaption = QStringLiteral("次の差分(&N)");
const QString ChangedCells = QStringLiteral("差分のあるセル数=%1");
const QString EndReached = QStringLiteral("終端まで検索しました");
const QString LeftLabel = QStringLiteral("左: ");
const QString RightLabel = QStringLiteral("右: ");
const QString FormulaLabel = QStringLiteral("数式: ");
const QString EmptyValue = QStringLiteral("(空)");

// What a cell holds, in the detail line where two values of different kinds face each other.
QString kindName(CellValue::Kind kind) {
    switch (kind) {
    case CellValue::Kind::Number:
        return QStringLiteral("数値");
    case CellValue::Kind::Text:
        return QStringLiteral("文字列");
    case CellValue::Kind::Boolean:
        return QStringLiteral("論理値");
    case CellValue::Kind::Error:
        return QStringLiteral("エラー値");
    case CellValue::Kind::Empty:
        break;
    }
    return QString();
}
// A tooltip shows at most this much of a long cell text.
constexpr int TipMaxLines = 20;
constexpr int TipMaxChars = 2000;
// A cell of many lines makes its row at most this many lines high.
constexpr int MaxRowLines = 8;

// The current cell is framed, not filled: its difference colour stays visible.
class FramedCurrentDelegate : public QStyledItemDelegate {
public:
    explicit FramedCurrentDelegate(QTableView *view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        QStyleOptionViewItem plain = option;
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(painter, plain, index);
        if (index != m_view->currentIndex())
            return;
        painter->save();
        QPen pen(option.palette.color(QPalette::Highlight), 2);
        pen.setJoinStyle(Qt::MiterJoin);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }

private:
    QTableView *m_view;
};

// A tooltip with the whole text of a cell that its column or row cuts off, capped in size.
class CutOffTips : public QObject {
public:
    explicit CutOffTips(QTableView *view) : QObject(view), m_view(view) {}

    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::ToolTip)
            return false;
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = m_view->indexAt(help->pos());
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect cell = m_view->visualRect(index);
        const QFontMetrics metrics(m_view->font());
        const QStringList lines = text.split(u'\n');
        int widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const bool cut = widest + 8 > cell.width() ||
                         int(lines.size()) * metrics.lineSpacing() > cell.height() + 2;
        if (!index.isValid() || text.isEmpty() || !cut) {
            QToolTip::hideText();
            return true;
        }
        QStringList shown = lines.mid(0, TipMaxLines);
        QString tip = shown.join(u'\n');
        if (tip.size() > TipMaxChars)
            tip = tip.left(TipMaxChars);
        if (tip.size() < text.size())
            tip += QStringLiteral("…");
        QToolTip::showText(help->globalPos(), tip, m_view, cell);
        return true;
    }

private:
    QTableView *m_view;
};

QString oneLine(QString text) {
    text.replace(u'\n', QStringLiteral(" ↵ "));
    return text;
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
    case Qt::DisplayRole:
        return shownText(row, index.column() + 1);
    case Qt::BackgroundRole: {
        const auto it = m_colors->constFind(key);
        return it == m_colors->constEnd() ? QVariant() : QVariant(toQColor(*it));
    }
    case Qt::TextAlignmentRole: {
        // As a spreadsheet aligns them: numbers right, truth values and errors centred,
        // texts left.
        const auto it = m_sheet->cells.constFind(key);
        Qt::Alignment horizontal = Qt::AlignLeft;
        if (it != m_sheet->cells.constEnd()) {
            if (it->kind == CellValue::Kind::Number)
                horizontal = Qt::AlignRight;
            else if (it->kind == CellValue::Kind::Boolean || it->kind == CellValue::Kind::Error)
                horizontal = Qt::AlignHCenter;
        }
        return QVariant::fromValue(Qt::Alignment(Qt::AlignVCenter) | horizontal);
    }
    default:
        return {};
    }
}

QString SheetTableModel::shownText(int row, int col) const {
    const auto it = m_sheet->cells.constFind(Sheet::key(row, col));
    return it == m_sheet->cells.constEnd() ? QString() : formattedText(*m_sheet, *it);
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
        // The current cell is its frame alone: a selection would fill it over its colour.
        view->setSelectionMode(QAbstractItemView::NoSelection);
        view->setWordWrap(false);
        view->setItemDelegate(new FramedCurrentDelegate(view));
        view->viewport()->installEventFilter(new CutOffTips(view));
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

    // A click puts the current cell where the user wants the walk to go on from.
    for (QTableView *view : m_views)
        connect(view, &QTableView::pressed, this, [this] { m_walkStarted = true; });
    m_detail = new QLabel(this);
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_detail->setMinimumWidth(1);
    // The table makes A1 current on its own when it gets the focus; any other cell is a choice.
    connect(m_views[0]->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.row() > 0 || current.column() > 0)
                    m_walkStarted = true;
                showDetail(current);
            });

    m_status = new QLabel(this);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_previous);
    bottom->addWidget(m_next);
    bottom->addWidget(m_status, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tables, 1);
    layout->addWidget(m_detail);
    layout->addLayout(bottom);
    fitMultiLineRows();
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

QString SheetCompareWindow::detailText() const {
    return m_detail->text();
}

void SheetCompareWindow::showDetail(const QModelIndex &current) {
    if (!current.isValid()) {
        m_detail->clear();
        return;
    }
    const int col = current.column() + 1;
    // With aligned rows each side has its own row number (none in a gap).
    int rows[2];
    for (int side = 0; side < 2; ++side)
        rows[side] = m_comparison.sheetRow(side, current.row() + 1);
    QString text = ColumnLetters(col);
    if (rows[0] == rows[1])
        text += QString::number(rows[0]);
    else
        text += (rows[0] ? QString::number(rows[0]) : QStringLiteral("-")) + QStringLiteral("→") +
                ColumnLetters(col) + (rows[1] ? QString::number(rows[1]) : QStringLiteral("-"));
    const QString *labels[2] = {&LeftLabel, &RightLabel};
    CellValue values[2];
    for (int side = 0; side < 2; ++side) {
        const Sheet &sheet = m_sheets[side];
        const int row = rows[side];
        const quint64 key = Sheet::key(row, col);
        const CellValue value = row ? sheet.cell(row, col) : CellValue();
        const QString shown = value.isEmpty() ? EmptyValue : shownAndHeldText(sheet, value);
        text += QStringLiteral("    ") + *labels[side] + oneLine(shown);
        const auto formula = sheet.formulas.constFind(key);
        if (formula != sheet.formulas.constEnd())
            text += QStringLiteral("  ") + FormulaLabel + u'=' + oneLine(*formula);
        values[side] = value;
    }
    // A text "1" against the number 1 looks alike in every view: say what each side holds.
    if (!values[0].isEmpty() && !values[1].isEmpty() && values[0].kind != values[1].kind)
        text += QStringLiteral("    (") + kindName(values[0].kind) + QStringLiteral(" / ") +
                kindName(values[1].kind) + u')';
    m_detail->setText(text);
}

// Rows holding a text of several lines grow to show them (up to a few lines).
void SheetCompareWindow::fitMultiLineRows() {
    // With aligned rows a sheet row shows in another result row.
    QHash<int, int> shownRow[2];
    for (int r = 1; !m_comparison.rowPairs.empty() && r <= m_comparison.rowCount(); ++r)
        for (int side = 0; side < 2; ++side)
            shownRow[side].insert(m_comparison.sheetRow(side, r), r);
    QHash<int, int> lines;
    for (int side = 0; side < 2; ++side) {
        const Sheet &sheet = m_sheets[side];
        for (auto it = sheet.cells.constBegin(); it != sheet.cells.constEnd(); ++it) {
            if (it->kind != CellValue::Kind::Text || !it->text.contains(u'\n'))
                continue;
            const int row = m_comparison.rowPairs.empty()
                                ? keyRow(it.key())
                                : shownRow[side].value(keyRow(it.key()), 0);
            const int count = std::min(MaxRowLines, int(it->text.count(u'\n')) + 1);
            if (count > lines.value(row, 1))
                lines.insert(row, count);
        }
    }
    const int lineHeight = m_views[0]->fontMetrics().lineSpacing();
    for (auto it = lines.constBegin(); it != lines.constEnd(); ++it) {
        if (it.key() < 1 || it.key() > m_models[0]->rowCount())
            continue;
        const int height =
            std::max(m_views[0]->rowHeight(it.key() - 1), it.value() * lineHeight + 6);
        for (QTableView *view : m_views)
            view->setRowHeight(it.key() - 1, height);
    }
}

void SheetCompareWindow::moveToDifference(bool forward) {
    const QModelIndex current = m_walkStarted ? m_views[0]->currentIndex() : QModelIndex();
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
    m_walkStarted = true;
    for (QTableView *view : m_views) {
        const QModelIndex index = view->model()->index(row - 1, col - 1);
        view->setCurrentIndex(index);
        view->scrollTo(index);
    }
    m_views[0]->setFocus();
}
