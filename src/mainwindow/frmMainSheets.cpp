// The workbook view: the two sheet lists with their events and pop-up menu, and the
// cell-by-cell comparison of the chosen pair of sheets.
#include "mainwindow/frmMain.h"

#include "sheet/CompareSheets.h"
#include "sheet/Workbook.h"
#include "sheet/ui/SheetCompareWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTreeWidget>
#include <QUrl>

#include <utility>

namespace {

const QString ListPopupTitle = QStringLiteral("リストポップアップ");
const QString ListCompare = QStringLiteral("シートの比較(&C)");
const QString ListOpen = QStringLiteral("ファイルを開く(&O)");
const QString ListClear = QStringLiteral("クリア(&L)");
const QString ComparingSheets = QStringLiteral("エクセル比較中...");
const QString SheetsDone = QStringLiteral("完了");
const QString CannotRead = QStringLiteral("%1 を読み込めませんでした: %2");
const QString NoSuchSheet = QStringLiteral("シート「%1」が %2 にありません");
const QString CannotWrite = QStringLiteral("比較結果を書き込めませんでした: %1");
const QString NoTempFolder = QStringLiteral("一時フォルダを作成できませんでした");
const QString XlsxMime =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

// Routes one object's events to a function; frmMain's own filter belongs to the whole window.
class ListEventHook : public QObject {
public:
    ListEventHook(QObject *parent, std::function<bool(QEvent *)> fn)
        : QObject(parent), m_fn(std::move(fn)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override { return m_fn(event); }

private:
    std::function<bool(QEvent *)> m_fn;
};

// Whether the desktop would open an .xlsx file with some application. Without one,
// opening the copies would only bring up a chooser or an error from the desktop.
bool spreadsheetApplicationRegistered() {
#ifdef Q_OS_LINUX
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), XlsxMime});
    if (!query.waitForStarted(1000))
        return false;
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(500);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
#else
    return true;
#endif
}

// The zoom of the written copies from the setting's list index: 0 → 100 %, 1 → 85 %,
// 2 → 70 %, anything else leaves the zoom unset.
int zoomPercent(int index) {
    switch (index) {
    case 0:
        return 100;
    case 1:
        return 85;
    case 2:
        return 70;
    default:
        return 0;
    }
}

// A file name part made of a sheet or workbook name: no path separators or characters that
// some file systems refuse.
QString safeFileName(QString name) {
    static const QString Refused = QStringLiteral("\\/:*?\"<>|");
    for (QChar &c : name) {
        if (Refused.contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    return name;
}

Sheet *findSheet(Workbook &book, const QString &name) {
    for (Sheet &sheet : book.sheets) {
        if (sheet.name == name)
            return &sheet;
    }
    return nullptr;
}

int selectedRow(const QTreeWidget *list) {
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
}

bool sameRows(const QTreeWidget *list, const QList<SheetListItem> &items) {
    if (list->topLevelItemCount() != items.size())
        return false;
    for (int k = 0; k < items.size(); ++k) {
        const QTreeWidgetItem *item = list->topLevelItem(k);
        const SheetListItem &row = items[k];
        if (item->text(0) != row.number || item->text(1) != row.name ||
            item->text(2) != row.address)
            return false;
    }
    return true;
}

} // namespace

void frmMain::setupSheetView() {
    mnuList = new QMenu(ListPopupTitle, this);
    mnuListCompare = mnuList->addAction(ListCompare);
    mnuList->addSeparator();
    mnuListOpen = mnuList->addAction(ListOpen);
    mnuList->addSeparator();
    mnuListClear = mnuList->addAction(ListClear);
    connect(mnuListCompare, &QAction::triggered, this, &frmMain::CompareSheets);
    connect(mnuListOpen, &QAction::triggered, this, &frmMain::openListFile);
    connect(mnuListClear, &QAction::triggered, this, &frmMain::clearAll);

    openInSpreadsheet = [](const QStringList &paths) {
        if (!spreadsheetApplicationRegistered())
            return;
        for (const QString &path : paths)
            QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };

    for (int i = 0; i < 2; ++i) {
        QTreeWidget *list = lv[size_t(i)];
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        // The right button's release opens our menu; no context-menu event may come first.
        list->setContextMenuPolicy(Qt::PreventContextMenu);
        connect(list, &QTreeWidget::itemClicked, this, [this, i] { lv_Click(i); });
        connect(list, &QTreeWidget::itemDoubleClicked, this, &frmMain::CompareSheets);
        list->installEventFilter(new ListEventHook(list, [this, i, list](QEvent *event) {
            if (event->type() == QEvent::KeyPress) {
                auto *key = static_cast<QKeyEvent *>(event);
                if (key->key() == Qt::Key_V && key->modifiers() == Qt::ControlModifier) {
                    compareClipboardText();
                    return true;
                }
            } else if (event->type() == QEvent::KeyRelease) {
                auto *key = static_cast<QKeyEvent *>(event);
                if (key->key() == Qt::Key_Menu && !key->isAutoRepeat()) {
                    // From the keyboard the menu opens at the current row.
                    QPoint at = list->viewport()->rect().topLeft();
                    if (QTreeWidgetItem *item = list->currentItem())
                        at = list->visualItemRect(item).bottomLeft();
                    lv_Popup(i, list->viewport()->mapToGlobal(at));
                    return true;
                }
            }
            return false;
        }));
        list->viewport()->installEventFilter(new ListEventHook(list, [this, i](QEvent *event) {
            if (event->type() != QEvent::MouseButtonRelease)
                return false;
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::RightButton)
                return false;
            lv_Popup(i, mouse->globalPosition().toPoint());
            return true;
        }));
    }

    connect(&m_ws, &Workspace::sheetListsChanged, this, &frmMain::sRefreshSheetLists);
    // A run may empty the lists in place before it shows another view.
    connect(&m_ws, &Workspace::viewChanged, this, &frmMain::sRefreshSheetLists);
}

void frmMain::sRefreshSheetLists() {
    for (int i = 0; i < 2; ++i) {
        QString info = m_ws.workbookInfo[size_t(i)];
        info.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (txt[size_t(i)]->toPlainText() != info)
            txt[size_t(i)]->setPlainText(info);

        QTreeWidget *list = lv[size_t(i)];
        const QList<SheetListItem> &items = m_ws.lv[size_t(i)];
        if (sameRows(list, items))
            continue; // keeps the user's selection when only the view changed
        list->clear();
        QList<QTreeWidgetItem *> rows;
        rows.reserve(items.size());
        for (const SheetListItem &item : items)
            rows << new QTreeWidgetItem(QStringList{item.number, item.name, item.address});
        list->addTopLevelItems(rows);
        for (int c = 0; c < 3; ++c)
            list->resizeColumnToContents(c);
        // The first pair stands selected, so the menu's compare works at once.
        if (!rows.isEmpty())
            list->setCurrentItem(rows.first());
    }
}

// A click selects the facing row in the other list unless Ctrl or the right button is held:
// Ctrl lets the user pair sheets that the alignment did not put side by side.
void frmMain::lv_Click(int index) {
    if (QGuiApplication::keyboardModifiers() & Qt::ControlModifier)
        return;
    if (QGuiApplication::mouseButtons() & Qt::RightButton)
        return;
    const int row = selectedRow(lv[size_t(index)]);
    QTreeWidget *other = lv[size_t(1 - index)];
    if (row < 0 || row == selectedRow(other) || row >= other->topLevelItemCount())
        return;
    QTreeWidgetItem *item = other->topLevelItem(row);
    other->setCurrentItem(item);
    other->scrollToItem(item);
}

void frmMain::lv_Popup(int index, const QPoint &globalPos) {
    m_listPopupIndex = index;
    mnuList->popup(globalPos);
}

void frmMain::openListFile() {
    const QString path = cb[size_t(m_listPopupIndex)]->currentText();
    if (!path.isEmpty() && QFileInfo(path).isFile())
        openPath(path);
}

SheetCompareWindow *frmMain::sheetCompareWindow() const {
    return qobject_cast<SheetCompareWindow *>(m_sheetWindow.data());
}

void frmMain::CompareSheets() {
    if (m_running || m_comparingSheets)
        return;
    QTreeWidgetItem *picked[2] = {};
    for (int i = 0; i < 2; ++i) {
        const QList<QTreeWidgetItem *> selected = lv[size_t(i)]->selectedItems();
        // A gap row (no sheet number) or no selection at all: nothing to compare.
        if (selected.isEmpty() || selected.first()->text(0).isEmpty())
            return;
        picked[i] = selected.first();
    }
    const QString paths[2] = {cb[0]->currentText(), cb[1]->currentText()};
    const QString names[2] = {picked[0]->text(1), picked[1]->text(1)};

    m_comparingSheets = true;
    m_ws.setBusy(true);
    m_ws.setStatus(ComparingSheets);
    m_ws.processEvents();

    // A failure is named in the status line: a bare "完了" would pass for a comparison
    // that found no difference.
    QStringList problems;
    Sheet sheets[2];
    bool found[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        const QString fileName = QFileInfo(paths[i]).fileName();
        QString error;
        std::optional<Workbook> book = fReadWorkbook(paths[i], true, &error);
        if (!book) {
            problems << CannotRead.arg(fileName.isEmpty() ? paths[i] : fileName, error);
            continue;
        }
        if (Sheet *sheet = findSheet(*book, names[i])) {
            sheets[i] = std::move(*sheet);
            found[i] = true;
        } else {
            problems << NoSuchSheet.arg(names[i], fileName);
        }
    }

    if (found[0] && found[1]) {
        SheetComparison comparison = fCompareSheets(sheets[0], sheets[1], m_ws.txtState);

        // Each comparison writes into a folder of its own: the copies of an earlier one may
        // still be open in the spreadsheet application.
        m_sheetCopies.clear();
        if (!m_sheetTemp)
            m_sheetTemp = std::make_unique<QTemporaryDir>();
        const QString folder = m_sheetTemp->isValid()
                                   ? m_sheetTemp->filePath(QString::number(++m_sheetRun))
                                   : QString();
        if (folder.isEmpty() || !QDir().mkpath(folder)) {
            problems << NoTempFolder;
        } else {
            const int zoom = zoomPercent(m_settings.sheetZoom());
            const QHash<quint64, Color> *colors[2] = {&comparison.leftColors,
                                                      &comparison.rightColors};
            QStringList written;
            for (int i = 0; i < 2; ++i) {
                const QString path = QDir(folder).filePath(
                    QStringLiteral("%1_%2_%3.xlsx")
                        .arg(i + 1)
                        .arg(safeFileName(QFileInfo(paths[i]).completeBaseName()),
                             safeFileName(names[i])));
                if (fWriteColouredSheet(sheets[i], *colors[i], zoom, path))
                    written << path;
                else
                    problems << CannotWrite.arg(QFileInfo(path).fileName());
            }
            m_sheetCopies = written;
            if (!written.isEmpty() && openInSpreadsheet)
                openInSpreadsheet(written);
        }

        const QString titles[2] = {
            QFileInfo(paths[0]).fileName() + QStringLiteral("  [") + names[0] + QLatin1Char(']'),
            QFileInfo(paths[1]).fileName() + QStringLiteral("  [") + names[1] + QLatin1Char(']')};
        auto *window = new SheetCompareWindow(std::move(sheets[0]), std::move(sheets[1]),
                                              std::move(comparison), titles[0], titles[1], this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        window->raise();
        window->activateWindow();
        m_sheetWindow = window;
    }

    m_ws.setStatus(problems.isEmpty() ? SheetsDone : problems.join(QStringLiteral("  ")));
    m_ws.setBusy(false);
    m_comparingSheets = false;
    QApplication::beep();
}
