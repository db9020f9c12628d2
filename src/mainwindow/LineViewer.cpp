#include "mainwindow/LineViewer.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>

#include <algorithm>

// The gutter at the left edge; all drawing is done by the viewer, which knows the blocks.
class LineViewer::LineNumberArea : public QWidget {
public:
    explicit LineNumberArea(LineViewer *viewer) : QWidget(viewer), m_viewer(viewer) {}
    QSize sizeHint() const override { return QSize(m_viewer->lineNumberWidth(), 0); }

protected:
    void paintEvent(QPaintEvent *event) override { m_viewer->paintLineNumbers(event); }

private:
    LineViewer *m_viewer;
};

namespace {
constexpr int GutterPadding = 4; // pixels on each side of the numbers
}

LineViewer::LineViewer(QWidget *parent)
    : QPlainTextEdit(parent), m_numbers(new LineNumberArea(this)) {
    setReadOnly(true);
    // Read-only, yet the cursor can still be moved with the keys to scroll through the text.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(NoWrap);
    setWordWrapMode(QTextOption::NoWrap);

    // More digits need a wider gutter at once, not at the next resize.
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] {
        setViewportMargins(lineNumberWidth(), 0, 0, 0);
        const QRect area = contentsRect();
        m_numbers->setGeometry(QRect(area.left(), area.top(), lineNumberWidth(), area.height()));
    });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect &rect, int dy) {
        if (dy != 0)
            m_numbers->scroll(0, dy);
        else
            m_numbers->update(0, rect.y(), m_numbers->width(), rect.height());
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        // The cursor line is the one the viewer was opened on: keep it marked.
        QTextEdit::ExtraSelection line;
        line.format.setBackground(palette().alternateBase());
        line.format.setProperty(QTextFormat::FullWidthSelection, true);
        line.cursor = textCursor();
        line.cursor.clearSelection();
        setExtraSelections({line});
    });
    setViewportMargins(lineNumberWidth(), 0, 0, 0);
}

int LineViewer::lineNumberWidth() const {
    int digits = 1;
    for (int n = std::max(1, blockCount()); n >= 10; n /= 10)
        ++digits;
    return 2 * GutterPadding + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void LineViewer::sJumpLine(int line) {
    const QTextDocument *doc = document();
    QTextBlock block = doc->findBlockByNumber(std::clamp(line, 1, doc->blockCount()) - 1);
    if (!block.isValid())
        block = doc->lastBlock();
    QTextCursor cursor(block);
    setTextCursor(cursor);
    centerCursor();
}

void LineViewer::keyReleaseEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F2 && !event->isAutoRepeat()) {
        event->accept();
        Q_EMIT closeRequested();
        return;
    }
    QPlainTextEdit::keyReleaseEvent(event);
}

void LineViewer::resizeEvent(QResizeEvent *event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    m_numbers->setGeometry(QRect(area.left(), area.top(), lineNumberWidth(), area.height()));
}

void LineViewer::paintLineNumbers(QPaintEvent *event) {
    QPainter painter(m_numbers);
    painter.fillRect(event->rect(), palette().window());
    painter.setPen(palette().color(QPalette::PlaceholderText));

    QTextBlock block = firstVisibleBlock();
    int number = block.blockNumber();
    qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
    const int lineHeight = fontMetrics().height();
    const int width = m_numbers->width() - GutterPadding;
    while (block.isValid() && top <= event->rect().bottom()) {
        const qreal bottom = top + blockBoundingRect(block).height();
        if (block.isVisible() && bottom >= event->rect().top()) {
            painter.drawText(0, int(top), width, lineHeight, Qt::AlignRight,
                             QString::number(number + 1));
        }
        block = block.next();
        top = bottom;
        ++number;
    }
}
