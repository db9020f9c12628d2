// The folder view's commands: sorting by a header click, the folder menu, opening an entry,
// comparing a pair, and copying or trashing entries after confirmation.
#include "mainwindow/FolderViewController.h"

#include "engine/Workspace.h"
#include "folder/FileOperations.h"
#include "folder/FolderSort.h"
#include "folder/NestedEntries.h"
#include "folder/ui/FileProgressWindow.h"
#include "folder/ui/frmDialog.h"
#include "mainwindow/DesktopOpen.h"
#include "mainwindow/EventHook.h"
#include "mainwindow/FolderColumnWidths.h"
#include "mainwindow/FolderTreeController.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/TextViewController.h"
#include "mainwindow/ViewHost.h"
#include "platform/DetachedProgram.h"
#include "platform/NativePath.h"
#include "settings/Settings.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <memory>
#include <utility>

using namespace MainTexts;

namespace {

const QString Sorting = QStringLiteral("ソート中...");
const QString StartingInstance = QStringLiteral("Corvaneでファイルを開きます...");
const QString OpeningEntry = QStringLiteral("ファイル/フォルダを開きます...");
const QString CopyFailed = QStringLiteral("コピーできませんでした: ");
const QString TrashFailed = QStringLiteral("ごみ箱へ移動できませんでした: ");
const QString Cancelled = QStringLiteral("中断しました");
const QString DeletedForGood = QStringLiteral("完全に削除しました: ");

// The menu from top to bottom; a separator stands before the items that start a group.
struct FolderMenuEntry {
    FolderCommand command;
    QString caption;
    bool separatorBefore;
};
const FolderMenuEntry FolderMenuEntries[] = {
    {FolderCommand::Copy, QStringLiteral("コピー(&C)"), false},
    {FolderCommand::SelectColumn, QStringLiteral("１列選択(&R)"), false},
    {FolderCommand::SelectAll, QStringLiteral("全て選択(&A)"), false},
    {FolderCommand::PreviousDifference, QStringLiteral("前の差分に移動(&P)"), true},
    {FolderCommand::NextDifference, QStringLiteral("次の差分に移動(&N)"), false},
    {FolderCommand::ComparePair, QStringLiteral("１行比較(&1)"), true},
    {FolderCommand::Clear, QStringLiteral("クリア(&L)"), true},
    {FolderCommand::Open, QStringLiteral("開く(&O)"), true},
    {FolderCommand::CopyFiles, QStringLiteral("ファイルコピー(&F)"), false},
    {FolderCommand::Trash, QStringLiteral("ごみ箱に移動(&T)"), false},
    {FolderCommand::ExpandAll, QStringLiteral("すべて展開(&E)"), true},
    {FolderCommand::CollapseAll, QStringLiteral("すべて折りたたむ(&W)"), false},
};

bool isFolder(const QString &path) {
    NativeStat st;
    return !path.isEmpty() && nativeStat(path, &st) && st.isDir;
}

// "name (reason)" for each failure, as much as a status line can carry.
QString describeFailures(const FileOperationResult &result) {
    QStringList parts;
    for (const FileOperationFailure &f : result.failures)
        parts << f.name + QStringLiteral(" (") + f.reason + QLatin1Char(')');
    constexpr int Shown = 5;
    if (parts.size() > Shown) {
        const qsizetype more = parts.size() - Shown;
        parts = parts.mid(0, Shown);
        parts << QStringLiteral("ほか%1件").arg(more);
    }
    return parts.join(QStringLiteral(", "));
}

// Where the folder view stood, by the entries' names: the fresh comparison after a file
// command lists other rows, and the user keeps looking at the same place of the tree.
struct ViewPlace {
    QString current, top; // the entries of the current and the top row
    int currentRow = 0, topRow = 0, col = 0;
};

QString entryNameAt(const ResultGrid &g, int r) {
    if (r < g.fixedRows() || r >= g.rows())
        return QString();
    return g.isEmpty(r, 0) ? g.text(r, 4) : g.text(r, 0);
}

ViewPlace rememberPlace(const ResultGridView &view) {
    const ResultGrid &g = *view.grid();
    return {entryNameAt(g, g.row()), entryNameAt(g, view.topRow()), g.row(), view.topRow(),
            g.col()};
}

// The row of the entry, else of the nearest folder above it still listed (a trashed entry
// leaves its folder), else the old row number within the grid.
int rowOfEntry(const ResultGrid &g, const QString &name, int oldRow) {
    QStringList wanted; // the entry, then its folders upwards
    for (QString path = name; !path.isEmpty(); path = relativeParentOf(path))
        wanted << path;
    int best = -1;
    qsizetype bestRank = wanted.size();
    for (int r = g.fixedRows(); r < g.rows() && bestRank > 0; ++r) {
        for (const int c : {0, 4}) {
            const qsizetype rank = wanted.indexOf(g.text(r, c));
            if (rank >= 0 && rank < bestRank) {
                best = r;
                bestRank = rank;
            }
        }
    }
    return best >= 0 ? best : std::clamp(oldRow, g.fixedRows(), g.rows() - 1);
}

void restorePlace(ResultGridView &view, const ViewPlace &place) {
    const ResultGrid &g = *view.grid();
    if (g.rows() <= g.fixedRows())
        return;
    view.setCurrentCell(rowOfEntry(g, place.current, place.currentRow), place.col);
    view.setTopRow(rowOfEntry(g, place.top, place.topRow));
}

} // namespace

FolderViewController::FolderViewController(ViewHost &host, ResultGridView *view)
    : m_host(host), m_view(view) {
    buildMenu();
    startInstance = [](const QStringList &paths) {
        return startDetachedProgram(programFilePath(), paths);
    };
    openPath = openWithDesktop;
    execDialog = [](frmDialog &dialog) { return dialog.exec(); };
    installHooks();
    connect(m_view->gridModel(), &QAbstractItemModel::modelReset, this, [this] {
        if (m_metrics && m_view->gridModel()->hasRowMap() != m_sizedForTree)
            sizeColumns();
    });
}

void FolderViewController::buildMenu() {
    mnuFolder = new QMenu(m_host.dialogParent());
    for (const FolderMenuEntry &entry : FolderMenuEntries) {
        if (entry.separatorBefore)
            mnuFolder->addSeparator();
        QAction *action = mnuFolder->addAction(entry.caption);
        m_items[size_t(entry.command)] = action;
        // The keys of the tree, shown in the menu; the tree's own key handling acts on them.
        if (entry.command == FolderCommand::ExpandAll)
            action->setShortcut(QKeySequence(Qt::Key_Asterisk));
        else if (entry.command == FolderCommand::CollapseAll)
            action->setShortcut(QKeySequence(Qt::Key_Slash));
        if (entry.command == FolderCommand::ExpandAll ||
            entry.command == FolderCommand::CollapseAll)
            action->setShortcutContext(Qt::WidgetShortcut);
        const FolderCommand command = entry.command;
        connect(action, &QAction::triggered, this,
                [this, command] { mnuFolderItem_Click(command); });
    }
    connect(mnuFolder, &QMenu::aboutToShow, this, &FolderViewController::mnuFolder_Click);
}

void FolderViewController::installHooks() {
    ResultGridView *v = m_view;
    // The right button and the menu key open the folder menu here, not the Edit menu.
    connect(v, &ResultGridView::contextMenuRequested, this,
            [this](const QPoint &pos) { mnuFolder->popup(pos); });
    connect(v, &ResultGridView::activatedAt, this, &FolderViewController::fgF_DblClick);
    v->installEventFilter(new EventHook(v, [this](QEvent *event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Delete || key->modifiers() != Qt::NoModifier)
            return false;
        mnuFolderItem_Click(FolderCommand::Trash); // no enabling rule for the key
        return true;
    }));
    // A click sorts when it starts and ends on one header cell; a press on a cell's edge
    // resizes the column instead.
    QHeaderView *header = v->horizontalHeader();
    auto pressed = std::make_shared<int>(-1);
    header->viewport()->installEventFilter(new EventHook(header, [=, this](QEvent *event) {
        if (event->type() != QEvent::MouseButtonPress &&
            event->type() != QEvent::MouseButtonRelease)
            return false;
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const int x = mouse->position().toPoint().x();
        const int section = header->logicalIndexAt(x);
        if (event->type() == QEvent::MouseButtonPress) {
            constexpr int Grip = 4;
            const int start = header->sectionViewportPosition(section);
            const bool onEdge =
                x - start < Grip || start + header->sectionSize(section) - x <= Grip;
            *pressed = section >= 0 && !onEdge ? section : -1;
        } else if (section >= 0 && section == std::exchange(*pressed, -1)) {
            sortByColumn(section);
        }
        return false;
    }));
}

void FolderViewController::layout(const QRect &area, const QFontMetrics &fm, int scrollRoom) {
    m_view->setGeometry(area);
    m_width = area.width();
    m_scrollRoom = scrollRoom;
    m_metrics = fm;
    sizeColumns();
}

void FolderViewController::sizeColumns() {
    m_sizedForTree = m_view->gridModel()->hasRowMap();
    const std::array<int, 10> widths =
        folderColumnWidths(m_width, m_scrollRoom, *m_metrics, m_sizedForTree);
    for (int c = 0; c < 10; ++c) {
        m_view->setColumnWidth(c, widths[size_t(c)]);
        m_view->setColumnHidden(c, c >= 8);
    }
}

// ---- Sorting ----

void FolderViewController::sortByColumn(int col) {
    Workspace &ws = m_host.workspace();
    ResultGrid &g = ws.fgF;
    // The internal size columns have no width on screen; nothing else may be a key.
    if (col < 0 || col > 7 || g.rows() <= g.fixedRows())
        return;
    ws.setBusy(true);
    m_host.setStatus(Sorting);
    sortFolderGrid(g, col);
    m_host.sDiffbarPrint();
    // The current row keeps its number; in a tree whose folder there is collapsed, the row
    // shown above it is taken rather than opening folders the user did not ask for.
    int row = std::max(g.row(), g.fixedRows());
    const ResultGridModel *model = m_view->gridModel();
    if (model->hasRowMap() && model->modelRow(row) < 0)
        row = model->gridRow(model->shownModelRowAtOrBefore(row));
    m_view->setCurrentCell(row, col);
    // With the overview bar hidden nothing else ends the progress text.
    if (ws.statusText() == Sorting)
        m_host.setStatus(Done);
    ws.setBusy(false);
}

// ---- Menu ----

void FolderViewController::mnuFolder_Click() {
    const ResultGrid &g = m_host.workspace().fgF;
    const int r = g.row();
    const int nameCol = g.col() < 4 ? 0 : 4;
    const bool named = r >= g.fixedRows() && r < g.rows() && !g.isEmpty(r, nameCol);
    item(FolderCommand::Open)->setEnabled(named);
    item(FolderCommand::CopyFiles)
        ->setEnabled(named && isFolder(m_host.pathText(0)) && isFolder(m_host.pathText(1)));
    item(FolderCommand::Trash)->setEnabled(named);
    const bool tree = m_view->gridModel()->hasRowMap();
    item(FolderCommand::ExpandAll)->setEnabled(tree);
    item(FolderCommand::CollapseAll)->setEnabled(tree);
}

void FolderViewController::mnuFolderItem_Click(FolderCommand command) {
    TextViewController &edit = m_host.textView(); // the Edit menu's grid commands
    switch (command) {
    case FolderCommand::Copy:
        edit.copySelection();
        break;
    case FolderCommand::SelectColumn:
        edit.selectColumn();
        break;
    case FolderCommand::SelectAll:
        edit.selectAll();
        break;
    case FolderCommand::PreviousDifference:
        edit.moveToDifference(false);
        break;
    case FolderCommand::NextDifference:
        edit.moveToDifference(true);
        break;
    case FolderCommand::ComparePair:
        compareFolderPair();
        break;
    case FolderCommand::Clear:
        m_host.clearAll();
        break;
    case FolderCommand::Open:
        openFolderEntry();
        break;
    case FolderCommand::CopyFiles:
        startFileOperation(FileOperationKind::Copy);
        break;
    case FolderCommand::Trash:
        startFileOperation(FileOperationKind::Trash);
        break;
    case FolderCommand::ExpandAll:
    case FolderCommand::CollapseAll:
        if (auto *tree = m_view->findChild<FolderTreeController *>())
            tree->setAllExpanded(command == FolderCommand::ExpandAll);
        break;
    }
}

// ---- Opening and comparing entries ----

void FolderViewController::fgF_DblClick(int mouseRow) {
    if (mouseRow < m_host.workspace().fgF.fixedRows())
        return;
    if (m_host.settings().folderDoubleClickAction() == 1)
        compareFolderPair();
    else
        openFolderEntry();
}

void FolderViewController::compareFolderPair() {
    Workspace &ws = m_host.workspace();
    const ResultGrid &g = ws.fgF;
    const int r = g.row();
    if (r < g.fixedRows() || r >= g.rows())
        return;
    const bool multi = m_host.settings().multipleInstances();
    const QString left = fJoinPath(m_host.pathText(0), g.text(r, 0));
    const QString right = fJoinPath(m_host.pathText(1), g.text(r, 4));
    // The dates tell which sides hold the entry.
    const bool onlyRight = g.isEmpty(r, 3);
    const bool onlyLeft = !onlyRight && g.isEmpty(r, 7);
    if (multi) {
        ws.setBusy(true);
        m_view->setEnabled(false);
        m_host.setStatus(StartingInstance);
        startInstance(onlyRight  ? QStringList{right}
                      : onlyLeft ? QStringList{left}
                                 : QStringList{left, right});
        m_view->setEnabled(true);
        ws.setBusy(false);
        m_host.setStatus(QString());
        return;
    }
    // Through the path boxes, so that they name what the window then shows.
    m_host.setPathText(0, onlyRight ? QString() : left);
    m_host.setPathText(1, onlyLeft ? QString() : right);
    m_host.runComparison();
}

void FolderViewController::openFolderEntry() {
    Workspace &ws = m_host.workspace();
    const ResultGrid &g = ws.fgF;
    const int r = g.row();
    if (r < g.fixedRows() || r >= g.rows())
        return;
    ws.setBusy(true);
    const int side = g.col() < 4 ? 0 : 1;
    const QString folder = m_host.pathText(side);
    // An empty name leaves the side's folder itself.
    const QString path = fJoinPath(folder, g.text(r, side == 0 ? 0 : 4));
    m_host.setStatus(OpeningEntry);
    NativeStat st;
    if (!folder.isEmpty() && nativeStat(path, &st))
        openPath(path); // a folder opens in the file manager the same way
    ws.setBusy(false);
    m_host.setStatus(QString());
}

// ---- File operations ----

QStringList FolderViewController::selectedFolderNames(int side) const {
    const ResultGrid &g = m_host.workspace().fgF;
    // Rows as shown: the hidden contents of a collapsed folder go with the folder.
    const ResultGridModel *model = m_view->gridModel();
    int top = model->modelRow(g.row()), bottom = top;
    for (const QItemSelectionRange &range : m_view->selectionModel()->selection()) {
        top = std::min(top, range.top());
        bottom = std::max(bottom, range.bottom());
    }
    QStringList names;
    const int nameCol = side == 0 ? 0 : 4;
    for (int k = std::max(top, 0); k <= bottom && k < model->rowCount(); ++k) {
        const int r = model->gridRow(k);
        if (!g.isEmpty(r, nameCol))
            names << g.text(r, nameCol);
    }
    return names;
}

void FolderViewController::startFileOperation(FileOperationKind kind) {
    if (m_fileOperationRunning || m_host.isRunning())
        return;
    const int side = m_host.workspace().fgF.col() < 4 ? 0 : 1;
    const QString folder = m_host.pathText(side);
    const QString other = m_host.pathText(1 - side);
    const bool copy = kind == FileOperationKind::Copy;
    frmDialog dialog(kind, folder, other, selectedFolderNames(side), m_view->font().family(),
                     m_host.dialogParent());
    if (execDialog(dialog) != QDialog::Accepted)
        return;
    const QStringList names = dialog.names();
    if (names.isEmpty())
        return;

    // The window takes no commands while files are being changed under it.
    m_fileOperationRunning = true;
    m_host.lockWindow(true);
    FileProgressWindow progress(kind, m_host.dialogParent());
    const FileOperationProgress report = [&](quint64 done, quint64 total, const QString &name) {
        return progress.report(done, total, name);
    };
    const DeleteForGoodQuestion ask = [&](const QStringList &names) {
        return progress.askDeleteForGood(names);
    };
    const FileOperationResult result = copy ? copyEntries(folder, other, names, report)
                                            : moveEntriesToTrash(folder, names, ask, report);
    progress.close();
    m_host.lockWindow(false);
    m_fileOperationRunning = false;

    // The view shows what the folders really hold now, whatever went wrong; what went wrong
    // follows the run's summary.
    QStringList problems;
    if (!result.failures.isEmpty())
        problems << (copy ? CopyFailed : TrashFailed) + describeFailures(result);
    if (result.cancelled)
        problems << Cancelled;
    if (!result.deletedForGood.isEmpty())
        problems << DeletedForGood + result.deletedForGood.join(QStringLiteral(", "));
    // Through every level the changed entry may lie deep in a long list: the view stays where
    // it was. One level down, the fresh comparison starts at the top as it always has.
    std::function<void()> keepPlace;
    if (m_host.workspace().recursiveFolders)
        keepPlace = [this, place = rememberPlace(*m_view)] { restorePlace(*m_view, place); };
    m_host.runComparisonThenTell(problems.join(QStringLiteral("  ")), std::move(keepPlace));
}
