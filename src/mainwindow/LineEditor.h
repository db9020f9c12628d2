#pragma once

#include <QLineEdit>

// The editor of one line, laid over a cell of the text grid. Enter splits the line at the
// cursor, Esc gives up, moving up or down or leaving the editor keeps what was typed.
class LineEditor : public QLineEdit {
    Q_OBJECT
public:
    explicit LineEditor(QWidget *parent);

    // Opens over `cell` (viewport coordinates) with the line's `text`, the cursor at `cursor`;
    // `typed` (the key that opened it) goes in at the cursor.
    void open(const QRect &cell, const QString &text, int cursor, const QString &typed = {});
    bool isOpen() const { return isVisible(); }
    // The text before it was edited.
    QString originalText() const { return m_original; }

Q_SIGNALS:
    // Keep `text` (a move of `step` rows follows: -1 up, +1 down, 0 none).
    void committed(const QString &text, int step);
    // Split at the cursor: `before` stays, `after` becomes a new line below.
    void splitRequested(const QString &before, const QString &after);
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void close(bool keep, int step);

    QString m_original;
    bool m_closing = false;
};
