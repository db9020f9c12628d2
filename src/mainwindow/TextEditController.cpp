// Editing the two texts of a text comparison: the commands, and the grid after each change.
#include "mainwindow/TextEditController.h"

#include "edit/EditSession.h"
#include "edit/EditSources.h"
#include "engine/Workspace.h"
#include "mainwindow/EditTexts.h"
#include "mainwindow/LineEditor.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/ViewHost.h"
#include "platform/ui/Clipboard.h"
#include "run/GridFill.h"
#include "run/TextDiff.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QWidget>

#include <algorithm>

using namespace EditTexts;

namespace {

int textColumn(int side) {
    return side == 0 ? 1 : 3;
}

int numberColumn(int side) {
    return side == 0 ? 0 : 2;
}

} // namespace

TextEditController::TextEditController(ViewHost &host, ResultGridView *text)
    : m_host(host), m_text(text), m_editor(new LineEditor(text->viewport())) {
    text->installEventFilter(this);
    connect(m_editor, &LineEditor::committed, this, &TextEditController::lineCommitted);
    connect(m_editor, &LineEditor::splitRequested, this, &TextEditController::lineSplit);
    connect(m_editor, &LineEditor::cancelled, this, [this] { m_text->setFocus(); });
}

TextEditController::~TextEditController() = default;

// ---- menus ----

void TextEditController::fillEditMenu(QMenu *menu) {
    auto add = [this, menu](const QString &caption, const QKeySequence &key, auto slot) {
        QAction *action = menu->addAction(caption);
        if (!key.isEmpty())
            action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        m_editing << action;
        return action;
    };
    menu->addSeparator();
    add(CopyLeft, QKeySequence(Qt::ALT | Qt::Key_Left), [this] { copyToSide(0); });
    add(CopyRight, QKeySequence(Qt::ALT | Qt::Key_Right), [this] { copyToSide(1); });
    add(CopyAllLeft, {}, [this] { copyAllToSide(0); });
    add(CopyAllRight, {}, [this] { copyAllToSide(1); });
    menu->addSeparator();
    m_undo = add(Undo, QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { undo(); });
    m_redo = add(Redo, QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { redo(); });
    add(EditCurrentLine, QKeySequence(Qt::CTRL | Qt::Key_E), [this] { editCurrentLine(); });
    add(InsertLine, QKeySequence(Qt::Key_Insert), [this] { insertLine(); });
    add(DeleteLines, QKeySequence(Qt::CTRL | Qt::Key_Delete), [this] { deleteLines(); });
    add(PasteLines, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), [this] { pasteLines(); });
    connect(menu, &QMenu::aboutToShow, this, &TextEditController::updateActions);
}

void TextEditController::fillFileMenu(QMenu *menu, QAction *before) {
    auto add = [this, menu, before](const QString &caption, auto slot) {
        QAction *action = new QAction(caption, menu);
        menu->insertAction(before, action);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    m_save[0] = add(SaveLeft, [this] { saveSide(0); });
    m_save[1] = add(SaveRight, [this] { saveSide(1); });
    m_editing << add(SaveAs, [this] { saveSideAs(currentSide()); });
    m_editing << add(ToClipboard, [this] { copySideToClipboard(); });
    menu->insertSeparator(before);
    connect(menu, &QMenu::aboutToShow, this, &TextEditController::updateActions);
}

void TextEditController::updateActions() {
    const bool editable = whyNotEditable().isEmpty();
    for (QAction *action : std::as_const(m_editing))
        action->setEnabled(editable);
    if (m_undo)
        m_undo->setEnabled(editable && m_session && m_session->canUndo());
    if (m_redo)
        m_redo->setEnabled(editable && m_session && m_session->canRedo());
    for (int s = 0; s < 2; ++s) {
        if (m_save[size_t(s)])
            m_save[size_t(s)]->setEnabled(isModified(s));
    }
}

// ---- the session ----

QString TextEditController::whyNotEditable() const {
    const Workspace &ws = m_host.workspace();
    if (ws.shownView() != ResultView::Text || ws.Binary)
        return NotEditable;
    if (m_session)
        return QString();
    for (int s = 0; s < 2; ++s) {
        const SourceKind kind = sourceKind(ws, ws.cb[size_t(s)], ws.cb[size_t(1 - s)]);
        if (kind != SourceKind::TextFile && kind != SourceKind::Clipboard)
            return NotEditable;
    }
    return QString();
}

bool TextEditController::ensureSession() {
    if (m_session)
        return true;
    const QString why = whyNotEditable();
    if (!why.isEmpty()) {
        m_host.setStatus(why);
        QApplication::beep();
        return false;
    }
    Workspace &ws = m_host.workspace();
    std::array<EditableText, 2> sides;
    for (int s = 0; s < 2; ++s) {
        const QString &path = ws.cb[size_t(s)];
        m_headers[size_t(s)] = ws.fg.text(0, textColumn(s));
        if (sourceKind(ws, path, ws.cb[size_t(1 - s)]) == SourceKind::Clipboard) {
            m_backing[size_t(s)] = ws.clipboardSlot[size_t(s)];
            m_paths[size_t(s)].clear();
            sides[size_t(s)] =
                EditableText::fromLines(splitClipboardLinesShared(m_backing[size_t(s)]));
            continue;
        }
        QString problem;
        std::optional<EditableText> read =
            readSideForEditing(path, ws.shownEncoding[size_t(s)], &problem);
        if (!read) {
            m_host.setStatus(problem);
            QApplication::beep();
            return false;
        }
        sides[size_t(s)] = std::move(*read);
        m_paths[size_t(s)] = path;
    }
    CompareSettings settings;
    settings.folding = ws.textFolding();
    settings.minimal = ws.minimalMatching;
    m_session.emplace(std::move(sides[0]), std::move(sides[1]), settings);
    m_title = m_host.dialogParent()->window()->windowTitle();
    return true;
}

void TextEditController::resultReplaced() {
    m_editor->hide();
    const bool hadSession = m_session.has_value();
    m_session.reset();
    m_backing = {};
    m_dropApproved = false;
    if (hadSession) {
        m_host.dialogParent()->window()->setWindowTitle(m_title);
        Q_EMIT modifiedChanged(false);
    }
    updateActions();
}

bool TextEditController::isModified(int side) const {
    return m_session && m_session->isModified(side);
}

// The grid is filled again from the session's comparison, as a run fills it; the view keeps
// its place and the cursor goes to the line the change left it on.
void TextEditController::showSession(int side, qsizetype line) {
    Workspace &ws = m_host.workspace();
    ResultGrid &g = ws.fg;
    const int top = m_text->topRow();
    const int col = g.col();
    g.setRedraw(false);
    ws.DiffCount = ws.LeftOnlyCount = ws.RightOnlyCount = 0;
    // The texts are compared whole, and no longer as the files' bytes were.
    ws.runAborted = false;
    ws.runRemark.clear();
    g.setRows(1);
    fillTextGrid(ws, m_session->table(), m_session->texts(0), m_session->texts(1));
    m_dropApproved = false;
    updateMarks();
    g.setRedraw(true);
    const int row = gridRowOfTableRow(m_session->rowOfLine(side, line));
    m_text->setTopRow(std::min(top, g.rows() - 1));
    m_text->setCurrentCell(row, col);
    m_text->scrollTo(m_text->gridModel()->index(m_text->gridModel()->modelRow(row), col));
    m_host.sDiffbarPrint();
    m_host.g_vs_Change();
    ws.setStatus(comparisonSummary(ws));
    updateActions();
}

void TextEditController::updateMarks() {
    Workspace &ws = m_host.workspace();
    bool any = false;
    for (int s = 0; s < 2; ++s) {
        const bool modified = isModified(s);
        any = any || modified;
        ws.fg.setText(0, textColumn(s),
                      modified ? QStringLiteral("* ") + m_headers[size_t(s)]
                               : m_headers[size_t(s)]);
    }
    m_host.dialogParent()->window()->setWindowTitle(any ? QStringLiteral("* ") + m_title : m_title);
    Q_EMIT modifiedChanged(any);
}

// ---- grid rows, table rows and lines ----

int TextEditController::currentSide() const {
    return m_host.workspace().fg.col() < 2 ? 0 : 1;
}

qsizetype TextEditController::lineAtRow(int gridRow, int side) const {
    const ResultGrid &g = m_host.workspace().fg;
    if (gridRow < 1 || gridRow >= g.rows())
        return -1;
    const int number = g.numberAt(gridRow, numberColumn(side));
    return number > 0 ? number - 1 : -1;
}

qsizetype TextEditController::insertionLine(int gridRow, int side) const {
    const ResultGrid &g = m_host.workspace().fg;
    for (int r = std::max(gridRow, 1); r < g.rows(); ++r) {
        if (const qsizetype k = lineAtRow(r, side); k >= 0)
            return k;
    }
    return m_session->side(side).lineCount();
}

int TextEditController::tableRowOfGridRow(int gridRow) const {
    for (int s = 0; s < 2; ++s) {
        if (const qsizetype k = lineAtRow(gridRow, s); k >= 0)
            return m_session->rowOfLine(s, k);
    }
    return 0;
}

int TextEditController::gridRowOfTableRow(int tableRow) const {
    const Workspace &ws = m_host.workspace();
    const ResultGrid &g = ws.fg;
    if (!ws.OnlyDF)
        return std::clamp(tableRow, 1, std::max(1, g.rows() - 1));
    // Only differing rows are shown: the first shown row at or after the table row's lines.
    const PairTable::Row &row = m_session->table().row(tableRow);
    for (int r = 1; r < g.rows(); ++r) {
        if ((row.left >= 0 && lineAtRow(r, 0) >= row.left) ||
            (row.right >= 0 && lineAtRow(r, 1) >= row.right))
            return r;
    }
    return std::max(1, g.rows() - 1);
}

// ---- commands ----

void TextEditController::copyToSide(int to) {
    if (!ensureSession())
        return;
    int first = m_host.workspace().fg.row(), last = first;
    for (const QModelIndex &index : m_text->selectionModel()->selectedIndexes()) {
        const int r = m_text->gridModel()->gridRow(index.row());
        first = std::min(first, r);
        last = std::max(last, r);
    }
    const std::vector<EditSession::Block> blocks =
        m_session->blocksTouching(tableRowOfGridRow(first), tableRowOfGridRow(last));
    if (blocks.empty()) {
        QApplication::beep();
        return;
    }
    const qsizetype line = m_session->copyBlocks(1 - to, blocks);
    showSession(to, line);
}

void TextEditController::copyAllToSide(int to) {
    if (!ensureSession())
        return;
    showSession(to, m_session->copyAll(1 - to));
}

void TextEditController::undo() {
    if (!m_session || !m_session->canUndo())
        return;
    const EditSession::Place place = m_session->undo();
    showSession(place.side, place.line);
}

void TextEditController::redo() {
    if (!m_session || !m_session->canRedo())
        return;
    const EditSession::Place place = m_session->redo();
    showSession(place.side, place.line);
}

void TextEditController::editCurrentLine(const QString &typed) {
    if (!ensureSession())
        return;
    const ResultGrid &g = m_host.workspace().fg;
    m_editSide = currentSide();
    m_editRow = std::max(1, g.row());
    const qsizetype k = lineAtRow(m_editRow, m_editSide);
    const QString text = k >= 0 ? m_session->side(m_editSide).line(k).text : QString();
    const int modelRow = m_text->gridModel()->modelRow(m_editRow);
    const QModelIndex index = m_text->gridModel()->index(modelRow, textColumn(m_editSide));
    m_text->scrollTo(index);
    m_editor->open(m_text->visualRect(index), text, int(text.size()), typed);
}

void TextEditController::lineCommitted(const QString &text, int step) {
    m_text->setFocus();
    const int side = m_editSide;
    const qsizetype k = lineAtRow(m_editRow, side);
    qsizetype shown = -1;
    if (text != m_editor->originalText()) {
        if (k >= 0)
            shown = m_session->replaceLines(side, k, 1, {text});
        else
            shown = m_session->replaceLines(side, insertionLine(m_editRow, side), 0, {text});
        showSession(side, shown);
    }
    if (step != 0) {
        const ResultGrid &g = m_host.workspace().fg;
        const int row = std::clamp(g.row() + step, 1, std::max(1, g.rows() - 1));
        m_text->setCurrentCell(row, textColumn(side));
        editCurrentLine();
    }
}

void TextEditController::lineSplit(const QString &before, const QString &after) {
    m_text->setFocus();
    const int side = m_editSide;
    const qsizetype k = lineAtRow(m_editRow, side);
    const qsizetype at = k >= 0 ? k : insertionLine(m_editRow, side);
    m_session->replaceLines(side, at, k >= 0 ? 1 : 0, {before, after});
    showSession(side, at + 1);
    m_editRow = m_host.workspace().fg.row();
    const int modelRow = m_text->gridModel()->modelRow(m_editRow);
    const QModelIndex index = m_text->gridModel()->index(modelRow, textColumn(side));
    m_editor->open(m_text->visualRect(index), after, 0);
}

void TextEditController::insertLine() {
    if (!ensureSession())
        return;
    const int side = currentSide();
    const int row = m_host.workspace().fg.row();
    const qsizetype k = lineAtRow(row, side);
    const qsizetype at = k >= 0 ? k : insertionLine(row, side);
    showSession(side, m_session->replaceLines(side, at, 0, {QString()}));
}

void TextEditController::deleteLines() {
    if (!ensureSession())
        return;
    const int side = currentSide();
    qsizetype first = -1, last = -1;
    auto take = [&](int gridRow) {
        if (const qsizetype k = lineAtRow(gridRow, side); k >= 0) {
            first = first < 0 ? k : std::min(first, k);
            last = std::max(last, k);
        }
    };
    take(m_host.workspace().fg.row());
    for (const QModelIndex &index : m_text->selectionModel()->selectedIndexes())
        take(m_text->gridModel()->gridRow(index.row()));
    if (first < 0) {
        QApplication::beep();
        return;
    }
    showSession(side, m_session->replaceLines(side, first, last - first + 1, {}));
}

void TextEditController::pasteLines() {
    QString text = clipboardText();
    if (text.isEmpty() || !ensureSession())
        return;
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast(); // a text ending in a line break: its lines, no empty one after
    const int side = currentSide();
    const int row = m_host.workspace().fg.row();
    const qsizetype k = lineAtRow(row, side);
    const qsizetype at = k >= 0 ? k : insertionLine(row, side);
    showSession(side, m_session->replaceLines(side, at, 0, lines));
}

void TextEditController::copySideToClipboard() {
    if (!ensureSession())
        return;
    setClipboardText(m_session->side(currentSide()).texts().join(QLatin1Char('\n')));
    m_host.setStatus(CopiedToClipboard);
}

// ---- unsaved changes ----

bool TextEditController::maySetAside() {
    if (!isModified(0) && !isModified(1))
        return true;
    if (m_dropApproved)
        return true;
    const int answer = question(AskSave, {AskSaveButton, AskDiscardButton, AskCancelButton});
    if (answer == 1)
        return true;
    if (answer != 0)
        return false;
    for (int s = 0; s < 2; ++s) {
        if (isModified(s) && !saveSide(s))
            return false;
    }
    return true;
}

int TextEditController::question(const QString &text, const QStringList &buttons) {
    if (ask)
        return ask(text, buttons);
    QMessageBox box(QMessageBox::Question, m_title, text, QMessageBox::NoButton,
                    m_host.dialogParent());
    QList<QPushButton *> pushed;
    for (qsizetype k = 0; k < buttons.size(); ++k)
        pushed << box.addButton(buttons[k], k + 1 == buttons.size() && buttons.size() > 1
                                                ? QMessageBox::RejectRole
                                                : QMessageBox::AcceptRole);
    box.setDefaultButton(pushed.first());
    box.exec();
    const qsizetype chosen = pushed.indexOf(static_cast<QPushButton *>(box.clickedButton()));
    return chosen < 0 ? int(buttons.size()) - 1 : int(chosen);
}

bool TextEditController::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plain && !typed.isEmpty() && typed.at(0).isPrint() &&
            m_host.workspace().shownView() == ResultView::Text) {
            editCurrentLine(typed);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
