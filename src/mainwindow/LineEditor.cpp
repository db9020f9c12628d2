#include "mainwindow/LineEditor.h"

#include <QKeyEvent>

LineEditor::LineEditor(QWidget *parent) : QLineEdit(parent) {
    hide();
    setFrame(false);
}

void LineEditor::open(const QRect &cell, const QString &text, int cursor, const QString &typed) {
    m_original = text;
    m_closing = false;
    setGeometry(cell);
    setText(text);
    setCursorPosition(cursor);
    insert(typed);
    show();
    raise();
    setFocus();
}

void LineEditor::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const QString all = text();
        const int at = cursorPosition();
        m_closing = true;
        hide();
        Q_EMIT splitRequested(all.left(at), all.mid(at));
        return;
    }
    case Qt::Key_Escape:
        m_closing = true;
        hide();
        Q_EMIT cancelled();
        return;
    case Qt::Key_Up:
        close(true, -1);
        return;
    case Qt::Key_Down:
        close(true, 1);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void LineEditor::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    // A menu or a pop-up taking the focus for a moment leaves the editor open.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::MenuBarFocusReason)
        close(true, 0);
}

void LineEditor::close(bool keep, int step) {
    if (m_closing)
        return;
    m_closing = true;
    hide();
    if (keep)
        Q_EMIT committed(text(), step);
    else
        Q_EMIT cancelled();
}
