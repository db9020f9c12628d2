#pragma once

#include <QObject>

#include <functional>

class frmText;
class LineViewer;
class QFontMetrics;
class QMenu;
class QRect;
class ResultGridView;
class ViewHost;

// The text and binary grids' commands, and the Edit menu's commands on whichever grid is in
// front: copy, select, the difference walk, the external editor, the file viewer (F2), the
// one-line comparison and the clipboard text as a side. The binary grid has no commands of
// its own: it differs only in a few steps of these (its editor, its header rows).
class TextViewController : public QObject {
    Q_OBJECT
public:
    TextViewController(ViewHost &host, ResultGridView *text, ResultGridView *binary);

    // Places both grids over area: number columns by template, the two text columns share
    // the rest.
    void layout(const QRect &area, const QFontMetrics &fm, int scrollRoom);
    // Wrap mode of the text grid (long lines grow their rows).
    void setWordWrap(bool on);
    LineViewer *viewer() const { return m_viewer; }
    void hideViewer();
    // After a new layout an open viewer follows the grid.
    void followLayout();

    // Fills the Edit menu with these commands and the window's "クリア".
    void fillEditMenu(QMenu *menu);

    // Edit commands, by their menu item, on the grid in front.
    void copySelection();
    void selectColumn();
    void selectAll();
    void moveToDifference(bool forward);
    void openInEditor();
    // Edit item "１行比較": the window over the current row of the text or binary grid,
    // modal over the main window; nothing while another view is in front.
    void showOneLine();
    // The clipboard's text becomes the side of the current column, then a comparison runs.
    void compareClipboardText();

    // Shows the one-line window; replaceable by tests (when empty: a modal exec()).
    std::function<void(frmText &window)> execOneLine;

private:
    void gridActivated(ResultGridView *view, int mouseRow);
    void showViewer();

    ViewHost &m_host;
    ResultGridView *m_text;
    ResultGridView *m_binary;
    LineViewer *m_viewer = nullptr;
};
