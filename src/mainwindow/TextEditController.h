#pragma once

#include "edit/EditSession.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class LineEditor;
class QAction;
class QMenu;
class ResultGridView;
class ViewHost;

// Editing the two texts of a text comparison: taking difference blocks across, typing into a
// line, splitting, inserting, deleting and pasting lines, undo and redo, saving each side. The
// session starts with the first change; until then the view is exactly the run's result. After
// every change the texts are compared again and the grid, counters, overview bar and status
// follow. A result that is not two texts (binary, documents, workbooks, web pages, folders)
// stays read-only and says so.
class TextEditController : public QObject {
    Q_OBJECT
public:
    TextEditController(ViewHost &host, ResultGridView *text);
    ~TextEditController() override;

    // The Edit menu's commands (appended) and the File menu's save commands (before `before`).
    void fillEditMenu(QMenu *menu);
    void fillFileMenu(QMenu *menu, QAction *before);

    // A run replaced the result on screen: editing starts afresh from it.
    void resultReplaced();
    // True when no side has unsaved changes, or the user saved or dropped them; false when the
    // user cancelled (the caller then does nothing). Asks "変更を保存しますか".
    bool maySetAside();
    bool isModified(int side) const;
    bool hasSession() const { return m_session.has_value(); }
    const EditSession *session() const { return m_session ? &*m_session : nullptr; }

    // The commands.
    void copyToSide(int to);
    void copyAllToSide(int to);
    void undo();
    void redo();
    void editCurrentLine(const QString &typed = QString());
    void insertLine();
    void deleteLines();
    void pasteLines();
    // Saves one side to its file; false when it was not saved (cancelled or failed).
    bool saveSide(int side);
    bool saveSideAs(int side);
    // Ctrl+S after an edit: the side with the focus, or both when both changed.
    void saveChanged();
    void copySideToClipboard();

    // Answers of the dialogs, replaceable by tests: a question with its buttons (the index of
    // the one chosen; the last one is the cancel) and the path to save a side as (empty:
    // cancelled).
    std::function<int(const QString &question, const QStringList &buttons)> ask;
    std::function<QString(int side, const QString &current)> askSavePath;

Q_SIGNALS:
    // A side's modified mark changed (title bar).
    void modifiedChanged(bool anyModified);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Why this result cannot be edited (empty when it can).
    QString whyNotEditable() const;
    // Starts the session at the first change; false (and the reason in the status) when not.
    bool ensureSession();
    // After a change: the grid from the session, the cursor on `line` of `side`.
    void showSession(int side, qsizetype line);
    void updateMarks();
    void updateActions();
    // The side and line of the current cell; the line is -1 on a row without one there.
    int currentSide() const;
    qsizetype lineAtRow(int gridRow, int side) const;
    // Where a line would go in before the given grid row on a side (its next line).
    qsizetype insertionLine(int gridRow, int side) const;
    int tableRowOfGridRow(int gridRow) const;
    int gridRowOfTableRow(int tableRow) const;
    void lineCommitted(const QString &text, int step);
    void lineSplit(const QString &before, const QString &after);
    bool writeSide(int side, const QString &path);
    int question(const QString &text, const QStringList &buttons);

    ViewHost &m_host;
    ResultGridView *m_text;
    LineEditor *m_editor;
    std::optional<EditSession> m_session;
    std::array<QString, 2> m_backing; // the texts the session's first lines lie in
    std::array<QString, 2> m_headers; // the column headers before any mark
    std::array<QString, 2> m_paths;   // the files the sides save to (empty: no file)
    QString m_title;
    bool m_dropApproved = false; // the user chose to compare again without saving
    int m_editSide = 0;
    int m_editRow = 0;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QList<QAction *> m_editing; // enabled when the result can be edited
    std::array<QAction *, 2> m_save{};
};
