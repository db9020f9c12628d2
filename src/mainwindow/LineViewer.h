#pragma once

#include <QPlainTextEdit>

// The in-place viewer: a read-only text with line numbers that is laid over one half of the
// text grid (F2), scrolled to a given line, and hidden again by F2.
class LineViewer : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LineViewer(QWidget *parent = nullptr);

    // Scrolls so that the 1-based line is visible and puts the cursor on it.
    void sJumpLine(int line);

Q_SIGNALS:
    // F2 released in the viewer: hide it and give the focus back to the grid.
    void closeRequested();

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class LineNumberArea;
    friend class LineNumberArea;
    int lineNumberWidth() const;
    void paintLineNumbers(QPaintEvent *event);

    QWidget *m_numbers;
};
