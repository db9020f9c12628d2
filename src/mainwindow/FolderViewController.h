#pragma once

#include <QFontMetrics>
#include <QObject>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class frmDialog;
enum class FileOperationKind;
class QAction;
class QMenu;
class QRect;
class ResultGridView;
class ViewHost;

// The items of the folder grid's pop-up menu.
enum class FolderCommand {
    Copy,
    SelectColumn,
    SelectAll,
    PreviousDifference,
    NextDifference,
    ComparePair,
    Clear,
    Open,
    CopyFiles,
    Trash,
    ExpandAll,
    CollapseAll,
};
inline constexpr int FolderCommandCount = int(FolderCommand::CollapseAll) + 1;

// The folder grid's commands: sorting by a header click, its pop-up menu, opening an entry,
// comparing a pair, and copying or trashing entries after confirmation (frmDialog).
class FolderViewController : public QObject {
    Q_OBJECT
public:
    FolderViewController(ViewHost &host, ResultGridView *view);

    // Places the grid over area and sizes its columns (folderColumnWidths); they are sized
    // again when a tree takes the place of a one-level result or the other way round.
    void layout(const QRect &area, const QFontMetrics &fm, int scrollRoom);

    // The pop-up menu and its items.
    QMenu *mnuFolder = nullptr;
    QAction *item(FolderCommand command) const { return m_items[size_t(command)]; }

    // Header click on column col: sorts, alternating the direction.
    void sortByColumn(int col);
    // The menu is about to open: enables Open, CopyFiles and Trash for the current cell.
    void mnuFolder_Click();
    void mnuFolderItem_Click(FolderCommand command);
    // Double-click or Enter; mouseRow is the grid row under the mouse pointer.
    void fgF_DblClick(int mouseRow);
    // The names on one side (0 left, 1 right) in the selected rows.
    QStringList selectedFolderNames(int side) const;

    // Outside effects, replaceable by tests: starting a second instance with one or two
    // paths, opening a path with the desktop, showing the confirmation dialog (returns the
    // dialog's result code).
    std::function<bool(const QStringList &paths)> startInstance;
    std::function<bool(const QString &path)> openPath;
    std::function<int(frmDialog &dialog)> execDialog;

private:
    void buildMenu();
    void installHooks();
    void compareFolderPair();
    void openFolderEntry();
    void startFileOperation(FileOperationKind kind);
    void sizeColumns();

    ViewHost &m_host;
    ResultGridView *m_view;
    std::array<QAction *, FolderCommandCount> m_items{};
    bool m_fileOperationRunning = false;
    // What the last layout was given, and whether it sized the columns for a tree.
    int m_width = 0;
    int m_scrollRoom = 0;
    std::optional<QFontMetrics> m_metrics;
    bool m_sizedForTree = false;
};
