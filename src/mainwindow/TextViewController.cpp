// The commands of the text and binary grids, and the Edit menu's commands on the grid in front.
#include "mainwindow/TextViewController.h"

#include "encoding/Charset.h"
#include "encoding/DecodeText.h"
#include "engine/DifferenceWalk.h"
#include "engine/EngineTexts.h"
#include "engine/Workspace.h"
#include "mainwindow/DesktopOpen.h"
#include "mainwindow/LineViewer.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/ViewHost.h"
#include "oneline/ui/frmText.h"
#include "platform/EditorCommand.h"
#include "platform/Paths.h"
#include "platform/ui/Clipboard.h"
#include "settings/Settings.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>

using namespace MainTexts;

TextViewController::TextViewController(ViewHost &host, ResultGridView *text, ResultGridView *binary)
    : m_host(host), m_text(text), m_binary(binary) {
    m_viewer = new LineViewer(text->parentWidget());
    m_viewer->hide();
    connect(m_viewer, &LineViewer::closeRequested, this, [this] {
        m_viewer->hide();
        m_text->setFocus();
    });
    for (ResultGridView *view : {text, binary}) {
        connect(view, &ResultGridView::activatedAt, this,
                [this, view](int row) { gridActivated(view, row); });
    }
    connect(text, &ResultGridView::viewerRequested, this, &TextViewController::showViewer);
}

void TextViewController::layout(const QRect &area, const QFontMetrics &fm, int scrollRoom) {
    const char *numberTemplates[2] = {"00000000", "0000000000"};
    ResultGridView *views[2] = {m_text, m_binary};
    for (int k = 0; k < 2; ++k) {
        ResultGridView *v = views[k];
        v->setGeometry(area);
        const int number = fm.horizontalAdvance(QString::fromLatin1(numberTemplates[k])) + 10;
        const int rest = std::max(0, area.width() - scrollRoom - 2 * number);
        v->setColumnWidth(0, number);
        v->setColumnWidth(2, number);
        v->setColumnWidth(1, rest / 2);
        v->setColumnWidth(3, rest - rest / 2);
    }
}

void TextViewController::setWordWrap(bool on) {
    m_host.workspace().fg.setWordWrap(on);
    m_text->setWordWrap(on);
    m_text->applyRowHeights();
}

void TextViewController::hideViewer() {
    m_viewer->hide();
}

void TextViewController::followLayout() {
    if (m_viewer->isVisible())
        showViewer();
}

// ---- Edit commands ----

void TextViewController::fillEditMenu(QMenu *menu) {
    auto addItem = [menu](const QString &text, const QKeySequence &shortcut = {}) {
        QAction *action = menu->addAction(text);
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        return action;
    };
    connect(addItem(EditCopy), &QAction::triggered, this, &TextViewController::copySelection);
    connect(addItem(EditSelectColumn, QKeySequence(Qt::CTRL | Qt::Key_R)), &QAction::triggered,
            this, &TextViewController::selectColumn);
    connect(addItem(EditSelectAll, QKeySequence(Qt::CTRL | Qt::Key_A)), &QAction::triggered, this,
            &TextViewController::selectAll);
    menu->addSeparator();
    connect(addItem(EditPrevious, QKeySequence(Qt::SHIFT | Qt::Key_F3)), &QAction::triggered, this,
            [this] { moveToDifference(false); });
    connect(addItem(EditNext, QKeySequence(Qt::Key_F3)), &QAction::triggered, this,
            [this] { moveToDifference(true); });
    menu->addSeparator();
    QAction *oneLine = addItem(EditOneLine);
    connect(oneLine, &QAction::triggered, this, &TextViewController::showOneLine);
    QAction *external = addItem(EditExternal);
    connect(external, &QAction::triggered, this, &TextViewController::openInEditor);
    menu->addSeparator();
    connect(addItem(EditClear, QKeySequence(Qt::CTRL | Qt::Key_F4)), &QAction::triggered, this,
            [this] { m_host.clearAll(); });
    menu->addSeparator();
    connect(addItem(EditPaste), &QAction::triggered, this,
            &TextViewController::compareClipboardText);
    connect(menu, &QMenu::aboutToShow, this, [this, oneLine, external] {
        const bool notFolder = m_host.workspace().shownView() != ResultView::Folder;
        oneLine->setEnabled(notFolder);
        external->setEnabled(notFolder);
    });
}

void TextViewController::copySelection() {
    if (ResultGridView *v = m_host.activeView())
        v->copySelection();
}

void TextViewController::selectColumn() {
    if (ResultGridView *v = m_host.activeView())
        v->selectCurrentColumn();
}

void TextViewController::selectAll() {
    if (ResultGridView *v = m_host.activeView())
        v->selectAllCells(v->grid() == &m_host.workspace().fgF);
}

void TextViewController::moveToDifference(bool forward) {
    ResultGridView *v = m_host.activeView();
    if (!v)
        return;
    ResultGrid *g = v->grid();
    const int firstDataRow = g == &m_host.workspace().fgB ? 2 : 1;
    // A folder tree is walked entry by entry in tree order: a changed file deep inside changed
    // folders is reached after each of them, and the folders it lies in open on the way.
    const int row =
        v->gridModel()->hasRowMap()
            ? findDifferingRow(*g, g->row(), firstDataRow, forward, Workspace::NotComparedColor)
            : findDifference(*g, g->row(), g->col(), firstDataRow, forward);
    v->setFocus();
    if (row < 0) {
        m_host.setStatus(EndReached);
        QApplication::beep();
        return;
    }
    v->setCurrentCell(row, g->col());
    v->setTopRow(row);
    m_host.g_vs_Change();
}

void TextViewController::openInEditor() {
    const Workspace &ws = m_host.workspace();
    ResultGridView *v = m_host.activeView();
    if (!v || v->grid() == &ws.fgF)
        return;
    const ResultGrid *g = v->grid();
    const int side = g->col() < 2 ? 0 : 1;
    const QString path = m_host.pathText(side);
    const Settings &settings = m_host.settings();
    if (g == &ws.fgB) {
        const QString editor = settings.binaryEditor();
        if (fPathKind(path) != PathFile || fPathKind(editor) != PathFile)
            return;
        m_host.setStatus(OpeningFile);
        if (!startCommand({editor, path}))
            m_host.setStatus(EditorFailed + editor);
        return;
    }
    if (isDocumentExtension(lowerExtension(path))) {
        openWithDesktop(path);
        return;
    }
    const int numberCol = side == 0 ? 0 : 2;
    if (g->row() < 1 || g->row() >= g->rows() || g->isEmpty(g->row(), numberCol))
        return;
    if (fPathKind(path) == PathFile) {
        const QString templateText = settings.editor();
        const QStringList command = editorCommand(templateText, path, g->text(g->row(), numberCol));
        m_host.setStatus(OpeningFile);
        if (!startCommand(command))
            m_host.setStatus(EditorFailed + templateText);
    } else if (isWebAddress(path) || path == ClipboardWord) {
        // No file to open in an editor: the line is compared on its own instead.
        showOneLine();
    }
}

void TextViewController::showOneLine() {
    const Workspace &ws = m_host.workspace();
    const ResultGrid *g = ws.activeGrid();
    if (g != &ws.fg && g != &ws.fgB)
        return;
    frmText window(ws, m_host.dialogParent());
    if (execOneLine)
        execOneLine(window);
    else
        window.exec();
}

void TextViewController::compareClipboardText() {
    if (m_host.isRunning())
        return; // the run in progress owns the result until it ends
    QString text = clipboardText();
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    if (text.isEmpty())
        return;
    Workspace &ws = m_host.workspace();
    int side = 0;
    if (ResultGridView *v = m_host.activeView()) {
        const ResultGrid *g = v->grid();
        const int split = g == &ws.fgF ? 4 : g->cols() / 2;
        side = g->col() < split ? 0 : 1;
    }
    m_host.setPathText(side, ClipboardWord);
    ws.clipboardSlot[size_t(side)] = text;
    m_host.runComparison();
}

// ---- Double-click and the viewer ----

void TextViewController::gridActivated(ResultGridView *view, int mouseRow) {
    const ResultGrid *g = view->grid();
    if (mouseRow < g->fixedRows())
        return;
    const int action = m_host.settings().doubleClickAction();
    if (action == 1)
        showOneLine();
    else
        openInEditor();
    if (m_host.workspace().statusText() == OpeningFile)
        m_host.setStatus(QString());
}

// F2 in the text grid: the side's whole file over its half of the grid, at the current line.
void TextViewController::showViewer() {
    ResultGridView *v = m_text;
    const ResultGrid *g = v->grid();
    const int side = g->col() < 2 ? 0 : 1;
    const int numberCol = side == 0 ? 0 : 2;
    if (g->row() < 1 || g->row() >= g->rows() || g->isEmpty(g->row(), numberCol))
        return;
    const int headerHeight = v->horizontalHeader()->height();
    const int leftWidth = v->columnWidth(0) + v->columnWidth(1);
    const int width = side == 0 ? leftWidth : v->columnWidth(2) + v->columnWidth(3);
    m_viewer->setGeometry(v->x() + (side == 0 ? 0 : leftWidth), v->y() + headerHeight, width,
                          v->height() - headerHeight);
    if (!m_viewer->isVisible()) {
        // The text is decoded as the comparison decoded it, so line numbers match.
        const QString path = m_host.pathText(side);
        QString text;
        if (path == ClipboardWord) {
            text = m_host.workspace().clipboardSlot[size_t(side)];
        } else {
            const Workspace &ws = m_host.workspace();
            const size_t at = size_t(side);
            try {
                // In the encoding the user picked for the file, if any.
                text = loadTextFile(path, {}, nullptr,
                                    ws.chosenEncodingPath[at] == path ? ws.chosenEncoding[at]
                                                                      : QString())
                           .text;
            } catch (const FileReadError &) {
                return;
            }
        }
        m_viewer->setPlainText(text);
        m_viewer->show();
    }
    m_viewer->setFont(v->font());
    m_viewer->setFocus();
    m_viewer->sJumpLine(g->text(g->row(), numberCol).toInt());
    m_viewer->raise();
}
