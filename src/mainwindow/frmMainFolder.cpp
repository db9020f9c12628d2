// The folder view's commands: sorting by a header click, the folder menu, opening an entry,
// comparing a pair, and copying or trashing entries after confirmation.
#include "mainwindow/frmMain.h"

#include "folder/FileOperations.h"
#include "folder/FolderSort.h"
#include "folder/ui/frmDialog.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "platform/NativePath.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressDialog>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <memory>
#include <utility>

using namespace MainTexts;

namespace {

const QString Sorting = QStringLiteral("ソート中...");
const QString StartingInstance = QStringLiteral("Corvaneでファイルを開きます...");
const QString OpeningEntry = QStringLiteral("ファイル/フォルダを開きます...");
const QString Copying = QStringLiteral("コピー中です...");
const QString Trashing = QStringLiteral("ごみ箱へ移動中です...");
const QString CopyFailed = QStringLiteral("コピーできませんでした: ");
const QString TrashFailed = QStringLiteral("ごみ箱へ移動できませんでした: ");
const QString Cancelled = QStringLiteral("中断しました");
const QString DeletedForGood = QStringLiteral("完全に削除しました: ");
const QString NoTrashTitle = QStringLiteral("ごみ箱へ移動");
const QString NoTrashQuestion =
    QStringLiteral("次の項目はごみ箱が使えないため、ごみ箱へ移動できません。\n完全に削除しますか？"
                   "（元に戻せません）\n\n");

// Captions of the folder menu by item index; "-" is a separator.
struct FolderMenuItem {
    int index;
    QString caption;
};
const FolderMenuItem FolderMenuItems[] = {
    {1, QStringLiteral("コピー(&C)")},
    {2, QStringLiteral("１列選択(&R)")},
    {3, QStringLiteral("全て選択(&A)")},
    {5, QStringLiteral("-")},
    {6, QStringLiteral("前の差分に移動(&P)")},
    {7, QStringLiteral("次の差分に移動(&N)")},
    {8, QStringLiteral("-")},
    {9, QStringLiteral("１行比較(&1)")},
    {15, QStringLiteral("-")},
    {16, QStringLiteral("クリア(&L)")},
    {19, QStringLiteral("-")},
    {20, QStringLiteral("開く(&O)")},
    {22, QStringLiteral("ファイルコピー(&F)")},
    {24, QStringLiteral("ごみ箱に移動(&T)")},
};

// Routes one object's events to a function; frmMain's own filter belongs to the whole window.
class EventHook : public QObject {
public:
    EventHook(QObject *parent, std::function<bool(QEvent *)> fn)
        : QObject(parent), m_fn(std::move(fn)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override { return m_fn(event); }

private:
    std::function<bool(QEvent *)> m_fn;
};

bool isFolder(const QString &path) {
    NativeStat st;
    return !path.isEmpty() && fNativeStat(path, &st) && st.isDir;
}

// A file URL that keeps the exact bytes of names that are not UTF-8.
QUrl nativeFileUrl(const QString &path) {
    const QByteArray bytes = fEncodeNativeName(path);
    if (QString::fromUtf8(bytes) == path)
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"));
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

} // namespace

void frmMain::setupFolderView() {
    mnuFolder = new QMenu(this);
    for (const FolderMenuItem &item : FolderMenuItems) {
        if (item.caption == QLatin1String("-")) {
            mnuFolder->addSeparator();
            continue;
        }
        QAction *action = mnuFolder->addAction(item.caption);
        mnuFolderItem[size_t(item.index)] = action;
        const int index = item.index;
        connect(action, &QAction::triggered, this, [this, index] { mnuFolderItem_Click(index); });
    }
    connect(mnuFolder, &QMenu::aboutToShow, this, &frmMain::mnuFolder_Click);

    startInstance = [](const QStringList &paths) {
        return QProcess::startDetached(QCoreApplication::applicationFilePath(), paths);
    };
    openPath = [](const QString &path) { return QDesktopServices::openUrl(nativeFileUrl(path)); };
    execDialog = [](frmDialog &dialog) { return dialog.exec(); };
    askDeleteForGood = [this](const QStringList &names) {
        QStringList shown = names.mid(0, 20);
        if (names.size() > shown.size())
            shown << QStringLiteral("...");
        return QMessageBox::question(
                   this, NoTrashTitle, NoTrashQuestion + shown.join(QLatin1Char('\n')),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    };

    ResultGridView *v = view(ResultView::Folder);
    // The right button and the menu key open the folder menu here, not the Edit menu.
    disconnect(v, &ResultGridView::contextMenuRequested, this, nullptr);
    connect(v, &ResultGridView::contextMenuRequested, this,
            [this](const QPoint &pos) { mnuFolder->popup(pos); });
    connect(v, &ResultGridView::activatedAt, this, &frmMain::fgF_DblClick);
    v->installEventFilter(new EventHook(v, [this](QEvent *event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Delete || key->modifiers() != Qt::NoModifier)
            return false;
        mnuFolderItem_Click(24); // no enabling rule for the key
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
            fgF_HeaderClick(section);
        }
        return false;
    }));
}

// ---- Sorting ----

void frmMain::fgF_HeaderClick(int col) {
    ResultGrid &g = m_ws.fgF;
    // The internal size columns have no width on screen; nothing else may be a key.
    if (col < 0 || col > 7 || g.rows() <= g.fixedRows())
        return;
    m_ws.setBusy(true);
    setStatus(Sorting);
    sSortFolderGrid(g, col);
    sDiffbarPrint();
    view(ResultView::Folder)->setCurrentCell(std::max(g.row(), g.fixedRows()), col);
    // With the overview bar hidden nothing else ends the progress text.
    if (m_ws.statusText() == Sorting)
        setStatus(Done);
    m_ws.setBusy(false);
}

// ---- Menu ----

void frmMain::mnuFolder_Click() {
    const ResultGrid &g = m_ws.fgF;
    const int r = g.row();
    const int nameCol = g.col() < 4 ? 0 : 4;
    const bool named = r >= g.fixedRows() && r < g.rows() && !g.isEmpty(r, nameCol);
    mnuFolderItem[20]->setEnabled(named);
    mnuFolderItem[22]->setEnabled(named && isFolder(cb[0]->currentText()) &&
                                  isFolder(cb[1]->currentText()));
    mnuFolderItem[24]->setEnabled(named);
}

void frmMain::mnuFolderItem_Click(int index) {
    switch (index) {
    case 1:
        copySelection();
        break;
    case 2:
        selectColumn();
        break;
    case 3:
        selectAll();
        break;
    case 6:
        moveToDifference(false);
        break;
    case 7:
        moveToDifference(true);
        break;
    case 9:
        compareFolderPair();
        break;
    case 16:
        clearAll();
        break;
    case 20:
        openFolderEntry();
        break;
    case 22:
        startFileOperation(FileOperationKind::Copy);
        break;
    case 24:
        startFileOperation(FileOperationKind::Trash);
        break;
    default:
        break;
    }
}

// ---- Opening and comparing entries ----

void frmMain::fgF_DblClick(int mouseRow) {
    if (mouseRow < m_ws.fgF.fixedRows())
        return;
    if (m_settings.folderDoubleClickAction() == 1)
        compareFolderPair();
    else
        openFolderEntry();
}

void frmMain::compareFolderPair() {
    const ResultGrid &g = m_ws.fgF;
    const int r = g.row();
    if (r < g.fixedRows() || r >= g.rows())
        return;
    const bool multi = m_settings.multipleInstances();
    const QString left = fJoinPath(cb[0]->currentText(), g.text(r, 0));
    const QString right = fJoinPath(cb[1]->currentText(), g.text(r, 4));
    // The dates tell which sides hold the entry.
    const bool onlyRight = g.isEmpty(r, 3);
    const bool onlyLeft = !onlyRight && g.isEmpty(r, 7);
    if (multi) {
        ResultGridView *v = view(ResultView::Folder);
        m_ws.setBusy(true);
        v->setEnabled(false);
        setStatus(StartingInstance);
        startInstance(onlyRight  ? QStringList{right}
                      : onlyLeft ? QStringList{left}
                                 : QStringList{left, right});
        v->setEnabled(true);
        m_ws.setBusy(false);
        setStatus(QString());
        return;
    }
    // Through the path boxes, so that they name what the window then shows.
    cb[0]->setEditText(onlyRight ? QString() : left);
    cb[1]->setEditText(onlyLeft ? QString() : right);
    runComparison();
}

void frmMain::openFolderEntry() {
    const ResultGrid &g = m_ws.fgF;
    const int r = g.row();
    if (r < g.fixedRows() || r >= g.rows())
        return;
    m_ws.setBusy(true);
    const int side = g.col() < 4 ? 0 : 1;
    // An empty name leaves the side's folder itself.
    const QString path = fJoinPath(cb[side]->currentText(), g.text(r, side == 0 ? 0 : 4));
    setStatus(OpeningEntry);
    NativeStat st;
    if (!cb[side]->currentText().isEmpty() && fNativeStat(path, &st))
        openPath(path); // a folder opens in the file manager the same way
    m_ws.setBusy(false);
    setStatus(QString());
}

// ---- File operations ----

QStringList frmMain::selectedFolderNames(int side) const {
    const ResultGridView *v = view(ResultView::Folder);
    const ResultGrid &g = m_ws.fgF;
    int top = g.row(), bottom = g.row();
    for (const QItemSelectionRange &range : v->selectionModel()->selection()) {
        top = std::min(top, v->gridModel()->gridRow(range.top()));
        bottom = std::max(bottom, v->gridModel()->gridRow(range.bottom()));
    }
    QStringList names;
    const int nameCol = side == 0 ? 0 : 4;
    for (int r = std::max(top, g.fixedRows()); r <= bottom && r < g.rows(); ++r) {
        if (!g.isEmpty(r, nameCol))
            names << g.text(r, nameCol);
    }
    return names;
}

void frmMain::startFileOperation(FileOperationKind kind) {
    if (m_fileOperationRunning || m_running)
        return;
    const int side = m_ws.fgF.col() < 4 ? 0 : 1;
    const QString folder = cb[side]->currentText();
    const QString other = cb[1 - side]->currentText();
    const bool copy = kind == FileOperationKind::Copy;
    frmDialog dialog(kind, folder, other, selectedFolderNames(side),
                     view(ResultView::Text)->font().family(), this);
    if (execDialog(dialog) != QDialog::Accepted)
        return;
    const QStringList names = dialog.names();
    if (names.isEmpty())
        return;

    // The window takes no commands while files are being changed under it.
    m_fileOperationRunning = true;
    centralWidget()->setEnabled(false);
    menuBar()->setEnabled(false);
    Toolbar1->setEnabled(false);
    QProgressDialog progress(copy ? Copying : Trashing, QStringLiteral("キャンセル"), 0, 1000,
                             this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500); // short operations pass without a window
    progress.setAutoReset(false);
    const FileOperationProgress report = [&](quint64 done, quint64 total, const QString &name) {
        progress.setLabelText((copy ? Copying : Trashing) + QLatin1Char('\n') + name);
        progress.setValue(total > 0 ? int(std::min<quint64>(1000, done * 1000 / total)) : 0);
        return !progress.wasCanceled();
    };
    const FileOperationResult result =
        copy ? fCopyEntries(folder, other, names, report)
             : fMoveEntriesToTrash(folder, names, askDeleteForGood, report);
    progress.close();
    centralWidget()->setEnabled(true);
    menuBar()->setEnabled(true);
    Toolbar1->setEnabled(true);
    m_fileOperationRunning = false;

    // The view shows what the folders really hold now, whatever went wrong.
    runComparison();
    QStringList problems;
    if (!result.failures.isEmpty())
        problems << (copy ? CopyFailed : TrashFailed) + describeFailures(result);
    if (result.cancelled)
        problems << Cancelled;
    if (!result.deletedForGood.isEmpty())
        problems << DeletedForGood + result.deletedForGood.join(QStringLiteral(", "));
    if (!problems.isEmpty())
        setStatus(problems.join(QStringLiteral("  ")));
}
