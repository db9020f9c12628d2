#pragma once

#include "sheet/SheetPairMarks.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

struct SheetFileComparison;
struct SheetFileRequest;

class QAction;
class QFont;
class QMenu;
class QPlainTextEdit;
class QRect;
class QTemporaryDir;
class QTreeWidget;
class QWidget;
class SheetCompareWindow;
class SheetListMarker;
class ViewHost;

// The workbook view: the two workbooks' information boxes and sheet lists, the lists' pop-up
// menu, files dropped onto them, and the comparison of the chosen pair of sheets.
class SheetViewController : public QObject {
    Q_OBJECT
public:
    // Builds the view inside parent; the pop-up menu and the comparison windows belong to the
    // host's window.
    SheetViewController(ViewHost &host, QWidget *parent);
    ~SheetViewController() override;

    QWidget *widget() const { return m_view; }
    // Places the view over area; the information boxes are at least minInfoHeight high.
    void layout(const QRect &area, int minInfoHeight);
    void setListFont(const QFont &font);
    // Empties the boxes and the lists (the workspace is emptied by the caller).
    void clear();

    // Controls, named as the rest of the program knows them.
    std::array<QPlainTextEdit *, 2> txt{};
    std::array<QTreeWidget *, 2> lv{};
    // The lists' pop-up menu "リストポップアップ": compare, open the file, clear.
    QMenu *mnuList = nullptr;
    QAction *mnuListCompare = nullptr;
    QAction *mnuListOpen = nullptr;
    QAction *mnuListClear = nullptr;

    // Files dropped onto list index: one file goes to the list's own side.
    void lv_Drop(int index, const QStringList &paths);
    // Compares the sheets of the selected rows of the two lists cell by cell, writes coloured
    // copies of both, opens them in the spreadsheet application and in our own window.
    void CompareSheets();
    // The window of the last sheet comparison (null when none is open).
    SheetCompareWindow *sheetCompareWindow() const;
    // Where the coloured copies of the last comparison were written.
    QStringList sheetCopies() const { return m_sheetCopies; }
    // Finds out in the background which facing sheet pairs differ and marks them in the
    // lists' last column; started whenever a run shows two workbooks' lists.
    void markSheetPairs();
    bool isMarking() const;

    // Outside effects, replaceable by tests: opening the written copies with the system's
    // spreadsheet application (when there is one), opening a list's file with the desktop.
    std::function<void(const QStringList &paths)> openInSpreadsheet;
    std::function<bool(const QString &path)> openPath;

private:
    void installListHooks(int index);
    void refreshSheetLists();
    void selectFacingSheet(int index);
    void showListMenu(int index, const QPoint &globalPos);
    void openListFile();
    QString nextCopyFolder();
    void showSheetComparison(const std::shared_ptr<SheetFileRequest> &request,
                             const std::shared_ptr<SheetFileComparison> &result);
    void finishSheetComparison(const SheetFileComparison &result);
    void showMarks(const QList<SheetPairMark> &marks, const QString &failure);

    ViewHost &m_host;
    QWidget *m_view = nullptr;
    int m_listPopupIndex = 0;
    int m_sheetRun = 0;
    std::unique_ptr<QTemporaryDir> m_sheetTemp; // the copies live until the program ends
    QPointer<QWidget> m_sheetWindow;
    QStringList m_sheetCopies;
    SheetListMarker *m_marker = nullptr;
    // A sheet comparison is under way; the marks wait for its end (m_marksWaiting).
    bool m_comparingSheets = false;
    bool m_marksWaiting = false;
};
