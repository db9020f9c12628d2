#include "mainwindow/DiffOverviewBar.h"
#include "engine/ui/ColourConversion.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Layout of the bar in twips: its width, and the scroll bar between the two rails.
constexpr int BarWidthTwips = 615;
constexpr int ScrollBarLeftTwips = 182;
constexpr int ScrollBarWidthTwips = 240;

// Page step of the scroll bar in scaled mode (1% of the range).
constexpr int ScaledPageStep = 100;

const QColor BackgroundColor(128, 128, 128);
constexpr Color RailColor = 0x00FFFFFFu;

} // namespace

DiffOverviewBar::DiffOverviewBar(QWidget *parent)
    : QWidget(parent), m_vs(new QScrollBar(Qt::Vertical, this)) {
    m_vs->setRange(1, 1);
    m_vs->setSingleStep(1);
    m_vs->setPageStep(1);
    // The style's own menu ("scroll here" and so on) has no place on this bar.
    m_vs->setContextMenuPolicy(Qt::NoContextMenu);
    // A wheel step over the scroll bar moves one step, as over the rest of the bar.
    m_vs->installEventFilter(this);
    connect(m_vs, &QScrollBar::valueChanged, this, &DiffOverviewBar::onValueChanged);

    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    setFixedWidth(twipsToPixels(BarWidthTwips));
}

int DiffOverviewBar::twipsToPixels(int twips) const {
    return twips * logicalDpiX() / 1440;
}

int DiffOverviewBar::railX(int x) const {
    // The rail positions are pixels at 96 DPI; on denser screens they keep their proportion to
    // the bar so that they stay clear of the scroll bar.
    return logicalDpiX() == 96 ? x : qRound(double(x) * logicalDpiX() / 96.0);
}

QSize DiffOverviewBar::sizeHint() const {
    return QSize(twipsToPixels(BarWidthTwips), 200);
}

QSize DiffOverviewBar::minimumSizeHint() const {
    return QSize(twipsToPixels(BarWidthTwips), 2 * DrawMargin);
}

void DiffOverviewBar::fillRail(QPainter &painter, int x, double y1, double y2, Color color) {
    const int railTop = DrawMargin;
    const int railBottom = m_picture.height() - DrawMargin; // exclusive
    if (railBottom <= railTop)
        return;
    int top = qRound(y1);
    int bottom = qRound(y2);
    // A short run starts where its first row is drawn, so it never covers the end of the run
    // before it.
    bottom = std::max(bottom, top + MinSegmentHeight);
    top = std::max(top, railTop);
    bottom = std::min(bottom, railBottom);
    if (bottom <= top)
        return;
    const int width = railX(RailWidth);
    painter.fillRect(QRect(railX(x) - width / 2, top, width, bottom - top), toQColor(color));
}

void DiffOverviewBar::blankPicture() {
    if (m_picture.size() != size())
        m_picture = QImage(size(), QImage::Format_RGB32);
    if (m_picture.isNull())
        return;
    m_picture.fill(BackgroundColor);
    QPainter painter(&m_picture);
    const double bottom = m_picture.height() - DrawMargin;
    fillRail(painter, Side1X, DrawMargin, bottom, RailColor);
    fillRail(painter, Side2X, DrawMargin, bottom, RailColor);
}

void DiffOverviewBar::drawRun(QPainter &painter, Color runColor, double y1, double y2,
                              const std::array<Color, 3> &legend) {
    // Each side shows the colour its own cells carry: a line only on one side is "added" there
    // and "deleted" on the other.
    const Color changed = legend[0];
    const Color added = legend[1];
    const Color deleted = legend[2];
    if (runColor == changed) {
        fillRail(painter, Side1X, y1, y2, changed);
        fillRail(painter, Side2X, y1, y2, changed);
    } else if (runColor == deleted) {
        fillRail(painter, Side1X, y1, y2, deleted);
        fillRail(painter, Side2X, y1, y2, added);
    } else if (runColor == added) {
        fillRail(painter, Side1X, y1, y2, added);
        fillRail(painter, Side2X, y1, y2, deleted);
    }
}

void DiffOverviewBar::setRangeQuietly(int min, int max) {
    const bool was = m_settingScrollBar;
    m_settingScrollBar = true;
    // A range with its maximum below its minimum (a short binary grid starts at row 2) would
    // move the minimum down; keep the minimum and let the range collapse onto it instead.
    m_vs->setRange(min, std::max(min, max));
    m_settingScrollBar = was;
}

void DiffOverviewBar::sDiffbarPrint(const ResultGrid *grid, const std::array<Color, 3> &legend,
                                    bool isFolderGrid, int firstDataRow, int pageRows,
                                    bool drawRuns, const std::vector<int> *shownRows) {
    setRangeQuietly(firstDataRow, m_vs->maximum());
    if (!grid) {
        update();
        return;
    }
    m_mappedGrid = shownRows ? grid : nullptr;
    m_shown = shownRows ? *shownRows : std::vector<int>();
    m_firstDataRow = firstDataRow;

    const int rows = positions(grid);
    m_gridRows = rows;
    if (rows > RowModeLimit) {
        setRangeQuietly(firstDataRow, ScaledMax);
        m_vs->setPageStep(ScaledPageStep);
    } else {
        // A page shows pageRows rows less the header row.
        const int largeChange = std::max(1, pageRows - 1);
        setRangeQuietly(firstDataRow, rows < largeChange ? 1 : rows - largeChange + 2);
        m_vs->setPageStep(largeChange);
    }

    blankPicture();
    const int h = m_picture.height();
    const int cols = std::min(grid->cols(), 4);
    if (drawRuns && !m_picture.isNull() && rows > 1 && h > 2 * DrawMargin && cols > 0 &&
        firstDataRow >= 0 && firstDataRow < rows) {
        QPainter painter(&m_picture);
        const double scale = double(h - 2 * DrawMargin) / double(rows - 1);

        // One pass over the rows; only a change of colour costs any drawing.
        auto walk = [&](auto rowColor) {
            Color runColor = rowColor(firstDataRow);
            double runStart = DrawMargin;
            for (int r = firstDataRow + 1; r < rows; ++r) {
                const Color c = rowColor(r);
                if (c != runColor) {
                    const double y = scale * (r - 1) + DrawMargin;
                    drawRun(painter, runColor, runStart, y, legend);
                    runColor = c;
                    runStart = y;
                }
            }
            drawRun(painter, runColor, runStart, h - DrawMargin, legend);
        };

        if (isFolderGrid) {
            // A folder row is coloured in the columns of the side that has the entry; take the
            // first of the left-hand columns that carries a legend colour.
            walk([&](int position) {
                const int r = gridRowAt(position);
                Color c = RailColor;
                for (int col = 0; col < cols; ++col) {
                    c = grid->backColor(r, col);
                    if (c == legend[0] || c == legend[1] || c == legend[2])
                        break;
                }
                return c;
            });
        } else {
            walk([&](int position) { return grid->backColor(gridRowAt(position), 0); });
        }
    }
    update();
}

void DiffOverviewBar::clearPicture() {
    blankPicture();
    setRangeQuietly(m_vs->minimum(), 1);
    update();
}

int DiffOverviewBar::gridRowAt(int position) const {
    if (!m_mappedGrid || position < m_firstDataRow || m_shown.empty())
        return position;
    return m_shown[size_t(std::min(position - m_firstDataRow, int(m_shown.size()) - 1))];
}

int DiffOverviewBar::positionOf(int gridRow) const {
    if (!m_mappedGrid || gridRow < m_firstDataRow)
        return gridRow;
    // A hidden row stands at the last shown row above it.
    const auto after = std::upper_bound(m_shown.begin(), m_shown.end(), gridRow);
    return m_firstDataRow + std::max(0, int(after - m_shown.begin()) - 1);
}

int DiffOverviewBar::positions(const ResultGrid *grid) const {
    return isMapped(grid) ? m_firstDataRow + int(m_shown.size()) : grid->rows();
}

void DiffOverviewBar::g_vs_Change(const ResultGrid *grid, int topRow) {
    if (!grid)
        return;
    if (!isMapped(grid))
        m_mappedGrid = nullptr; // another grid (or a new result) since the bar was drawn
    const int rows = positions(grid);
    m_gridRows = rows;
    qint64 value = positionOf(topRow);
    if (rows > RowModeLimit)
        value = qint64(topRow) * ScaledMax / (rows - 1);
    // A top row outside the range (a grid shorter than a page) leaves the thumb at the end.
    value = std::clamp<qint64>(value, m_vs->minimum(), m_vs->maximum());
    const bool was = m_settingScrollBar;
    m_settingScrollBar = true;
    m_vs->setValue(int(value));
    m_settingScrollBar = was;
}

int DiffOverviewBar::topRowForValue(int value, int gridRows) const {
    int top = value;
    if (gridRows > RowModeLimit && value != m_vs->minimum())
        top = int(std::lround(double(gridRows - 1) * value / ScaledMax));
    // The grid cannot show a top row beyond its last row.
    if (gridRows > 0 && top > gridRows - 1)
        top = gridRows - 1;
    return top;
}

void DiffOverviewBar::onValueChanged(int value) {
    if (m_settingScrollBar)
        return;
    Q_EMIT topRowRequested(gridRowAt(topRowForValue(value, m_gridRows)));
}

void DiffOverviewBar::moveByUser(int value) {
    const bool was = m_settingScrollBar;
    m_settingScrollBar = true;
    m_vs->setValue(std::clamp(value, m_vs->minimum(), m_vs->maximum()));
    m_settingScrollBar = was;
    // Sent even when the value stays, so that a grid out of step with the thumb follows.
    Q_EMIT topRowRequested(gridRowAt(topRowForValue(m_vs->value(), m_gridRows)));
}

void DiffOverviewBar::stepWheel(int angleDelta) {
    const int value = m_vs->value();
    if (angleDelta < 0 && value < m_vs->maximum())
        moveByUser(value + m_vs->singleStep());
    else if (angleDelta > 0 && value > m_vs->minimum())
        moveByUser(value - m_vs->singleStep());
}

void DiffOverviewBar::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (m_picture.size() != size())
        painter.fillRect(rect(), BackgroundColor);
    if (!m_picture.isNull())
        painter.drawImage(0, 0, m_picture);
}

void DiffOverviewBar::resizeEvent(QResizeEvent *event) {
    m_vs->setGeometry(twipsToPixels(ScrollBarLeftTwips), 0, twipsToPixels(ScrollBarWidthTwips),
                      height());
    if (m_picture.size() == size())
        return;
    // The runs are redrawn by the window once the resize ends; until then the old picture is
    // stretched over the new rails.
    const QImage old = m_picture;
    blankPicture();
    const int oldSpan = old.height() - 2 * DrawMargin;
    const int newSpan = m_picture.height() - 2 * DrawMargin;
    if (!old.isNull() && oldSpan > 0 && newSpan > 0) {
        QPainter painter(&m_picture);
        painter.drawImage(QRect(0, DrawMargin, std::min(old.width(), m_picture.width()), newSpan),
                          old,
                          QRect(0, DrawMargin, std::min(old.width(), m_picture.width()), oldSpan));
    }
    QWidget::resizeEvent(event);
}

void DiffOverviewBar::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::RightButton) {
        Q_EMIT contextMenuRequested(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int y = int(std::floor(event->position().y()));
    const int h = height();
    const int min = m_vs->minimum();
    const int max = m_vs->maximum();
    int value;
    if (y < ClickMargin) {
        value = min;
    } else if (y > h - ClickMargin) {
        value = max;
    } else {
        const int span = h - 2 * ClickMargin;
        value = span > 0 ? int(std::lround(double(y - ClickMargin) * max / span)) : min;
        if (value <= 0)
            value = min;
    }
    moveByUser(value);
}

void DiffOverviewBar::wheelEvent(QWheelEvent *event) {
    stepWheel(event->angleDelta().y());
    event->accept();
}

bool DiffOverviewBar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_vs && event->type() == QEvent::Wheel) {
        stepWheel(static_cast<QWheelEvent *>(event)->angleDelta().y());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
