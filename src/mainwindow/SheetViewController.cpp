// The workbook view: the two sheet lists with their events and pop-up menu, and the
// cell-by-cell comparison of the chosen pair of sheets.
#include "mainwindow/SheetViewController.h"

#include "engine/Workspace.h"
#include "engine/ui/ColourConversion.h"
#include "mainwindow/DesktopOpen.h"
#include "mainwindow/EventHook.h"
#include "mainwindow/SheetListMarker.h"
#include "mainwindow/TextViewController.h"
#include "mainwindow/ViewHost.h"
#include "platform/FileUrl.h"
#include "platform/Paths.h"
#include "settings/Settings.h"
#include "sheet/SheetFileComparison.h"
#include "sheet/ui/SheetCompareWindow.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <utility>

namespace {

// How the cells of two sheets compare, as the options set it; read at each use.
SheetCompareRules compareRules(const Settings &settings) {
    return {settings.sheetDigits(), settings.sheetFormulas()};
}

const QString ListPopupTitle = QStringLiteral("リストポップアップ");
const QString ListCompare = QStringLiteral("シートの比較(&C)");
const QString ListOpen = QStringLiteral("ファイルを開く(&O)");
const QString ListClear = QStringLiteral("クリア(&L)");
const QString ComparingSheets = QStringLiteral("エクセル比較中...");
const QString SheetsDone = QStringLiteral("完了");
// After "完了": where the coloured copies were written (%1), so they can be found again.
const QString CopiesFolder = QStringLiteral("  コピーの保存先: %1");
const QString MarkTitle = QStringLiteral("比較");
const QString Marking = QStringLiteral("確認中...");
const QString MarkDiffers = QStringLiteral("差分あり");
const QString MarkSame = QStringLiteral("一致");
const QString MarkFailed = QStringLiteral("確認できません");
const std::array<QString, 2> MarkOnlyHere = {QStringLiteral("左のみ"), QStringLiteral("右のみ")};
constexpr int MarkColumn = 3;
const QString XlsxMime =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

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

SheetViewController::SheetViewController(ViewHost &host, QWidget *parent) : m_host(host) {
    m_view = new QWidget(parent);
    for (int i = 0; i < 2; ++i) {
        txt[size_t(i)] = new QPlainTextEdit(m_view);
        txt[size_t(i)]->setReadOnly(true);
        QTreeWidget *list = new QTreeWidget(m_view);
        lv[size_t(i)] = list;
        list->setColumnCount(4);
        list->setRootIsDecorated(false);
        list->setAllColumnsShowFocus(true);
        list->setHeaderLabels(
            {QString(), QStringLiteral("シート名"), QStringLiteral("範囲"), MarkTitle});
        // Number, name and range as wide as their texts, so the marks column stays in view.
        for (int c = 0; c < 3; ++c)
            list->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
        list->setAcceptDrops(true);
        list->viewport()->setAcceptDrops(true);
    }

    QWidget *window = host.dialogParent();
    mnuList = new QMenu(ListPopupTitle, window);
    mnuListCompare = mnuList->addAction(ListCompare);
    mnuList->addSeparator();
    mnuListOpen = mnuList->addAction(ListOpen);
    mnuList->addSeparator();
    mnuListClear = mnuList->addAction(ListClear);
    connect(mnuListCompare, &QAction::triggered, this, &SheetViewController::CompareSheets);
    connect(mnuListOpen, &QAction::triggered, this, &SheetViewController::openListFile);
    connect(mnuListClear, &QAction::triggered, this, [this] { m_host.clearAll(); });

    openInSpreadsheet = [](const QStringList &paths) {
        if (!spreadsheetApplicationRegistered())
            return;
        for (const QString &path : paths)
            openWithDesktop(path);
    };
    openPath = openWithDesktop;

    for (int i = 0; i < 2; ++i)
        installListHooks(i);

    m_marker = new SheetListMarker(this);
    connect(m_marker, &SheetListMarker::marked, this,
            [this](const QList<SheetPairMark> &marks) { showMarks(marks, QString()); });
    connect(m_marker, &SheetListMarker::failed, this,
            [this](const QString &why) { showMarks({}, why); });

    Workspace &ws = host.workspace();
    connect(&ws, &Workspace::sheetListsChanged, this, [this] {
        refreshSheetLists();
        m_marker->cancel();
        // After the run has put its status and paths in place.
        const Workspace &current = m_host.workspace();
        if (!current.lv[0].isEmpty() && !current.lv[1].isEmpty())
            QTimer::singleShot(0, this, &SheetViewController::markSheetPairs);
    });
    // A run may empty the lists in place before it shows another view.
    connect(&ws, &Workspace::viewChanged, this, &SheetViewController::refreshSheetLists);
}

SheetViewController::~SheetViewController() = default;

void SheetViewController::installListHooks(int i) {
    QTreeWidget *list = lv[size_t(i)];
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The right button's release opens our menu; no context-menu event may come first.
    list->setContextMenuPolicy(Qt::PreventContextMenu);
    connect(list, &QTreeWidget::itemClicked, this, [this, i] { selectFacingSheet(i); });
    connect(list, &QTreeWidget::itemDoubleClicked, this, &SheetViewController::CompareSheets);
    list->installEventFilter(new EventHook(list, [this, i, list](QEvent *event) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_V && key->modifiers() == Qt::ControlModifier) {
                m_host.textView().compareClipboardText();
                return true;
            }
        } else if (event->type() == QEvent::KeyRelease) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Menu && !key->isAutoRepeat()) {
                // From the keyboard the menu opens at the current row.
                QPoint at = list->viewport()->rect().topLeft();
                if (QTreeWidgetItem *item = list->currentItem())
                    at = list->visualItemRect(item).bottomLeft();
                showListMenu(i, list->viewport()->mapToGlobal(at));
                return true;
            }
        }
        return false;
    }));
    list->viewport()->installEventFilter(new EventHook(list, [this, i](QEvent *event) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::RightButton)
                return false;
            showListMenu(i, mouse->globalPosition().toPoint());
            return true;
        }
        case QEvent::DragEnter:
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            if (!drop->mimeData()->hasUrls())
                return false;
            drop->acceptProposedAction();
            if (event->type() == QEvent::Drop) {
                QStringList paths;
                for (const QUrl &url : drop->mimeData()->urls()) {
                    if (url.isLocalFile())
                        paths << localPathOf(url);
                }
                lv_Drop(i, paths);
            }
            return true;
        }
        default:
            return false;
        }
    }));
}

void SheetViewController::layout(const QRect &area, int minInfoHeight) {
    m_view->setGeometry(area);
    // The information boxes hold three lines (name, date, sheet count) in whatever font.
    const int W = area.width();
    const int half = W / 2;
    const int infoHeight = std::max(minInfoHeight, 3 * txt[0]->fontMetrics().lineSpacing() +
                                                       2 * txt[0]->frameWidth() + 12);
    txt[0]->setGeometry(0, 0, half, infoHeight);
    txt[1]->setGeometry(W - half, 0, half, infoHeight);
    lv[0]->setGeometry(0, infoHeight, half, std::max(0, area.height() - infoHeight));
    lv[1]->setGeometry(W - half, infoHeight, half, std::max(0, area.height() - infoHeight));
}

void SheetViewController::setListFont(const QFont &font) {
    for (QTreeWidget *list : lv)
        list->setFont(font);
}

void SheetViewController::clear() {
    m_marker->cancel();
    for (int i = 0; i < 2; ++i) {
        txt[size_t(i)]->clear();
        lv[size_t(i)]->clear();
    }
}

void SheetViewController::lv_Drop(int index, const QStringList &paths) {
    m_host.fg_Drop(paths, paths.size() == 1 && index == 1 ? 2 : 0);
}

void SheetViewController::refreshSheetLists() {
    const Workspace &ws = m_host.workspace();
    for (int i = 0; i < 2; ++i) {
        QString info = ws.workbookInfo[size_t(i)];
        info.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (txt[size_t(i)]->toPlainText() != info)
            txt[size_t(i)]->setPlainText(info);

        QTreeWidget *list = lv[size_t(i)];
        const QList<SheetListItem> &items = ws.lv[size_t(i)];
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

bool SheetViewController::isMarking() const {
    return m_marker->isRunning();
}

void SheetViewController::markSheetPairs() {
    // The marks read both books whole, as a sheet comparison does: side by side the two would
    // share the processors, and the comparison is what the user waits for.
    if (m_comparingSheets) {
        m_marksWaiting = true;
        return;
    }
    m_marksWaiting = false;
    const Workspace &ws = m_host.workspace();
    const qsizetype n = std::min(ws.lv[0].size(), ws.lv[1].size());
    if (n == 0)
        return;
    QList<SheetNamePair> rows;
    for (qsizetype k = 0; k < n; ++k) {
        const SheetListItem &left = ws.lv[0][k], &right = ws.lv[1][k];
        // A gap row has no sheet number; its name stays empty.
        rows << SheetNamePair{left.number.isEmpty() ? QString() : left.name,
                              right.number.isEmpty() ? QString() : right.name};
        for (int i = 0; i < 2; ++i) {
            QTreeWidgetItem *item = lv[size_t(i)]->topLevelItem(int(k));
            if (!item)
                continue;
            // A sheet facing a gap is one its book alone has; a gap row shows nothing.
            const bool gap = rows.last()[0].isEmpty() || rows.last()[1].isEmpty();
            const bool sheetHere = !rows.last()[size_t(i)].isEmpty();
            item->setText(MarkColumn, !gap        ? Marking
                                      : sheetHere ? MarkOnlyHere[size_t(i)]
                                                  : QString());
            for (int c = 0; c < item->columnCount(); ++c)
                item->setBackground(c, QBrush());
        }
    }
    const Workspace *workspace = &ws;
    m_marker->start(
        {m_host.pathText(0), m_host.pathText(1)}, rows, m_host.settings().sheetAlignRows(),
        [workspace] { return workspace->bAbort.load(); }, compareRules(m_host.settings()));
}

// marks: one SheetPairMark per row; empty with the failure when nothing could be marked.
void SheetViewController::showMarks(const QList<SheetPairMark> &marks, const QString &failure) {
    const Color changed = m_host.workspace().txtState[0];
    const QColor changedColour = toQColor(changed);
    for (size_t side = 0; side < lv.size(); ++side) {
        QTreeWidget *list = lv[side];
        for (int k = 0; k < list->topLevelItemCount(); ++k) {
            QTreeWidgetItem *item = list->topLevelItem(k);
            const QString shown = item->text(MarkColumn);
            if (shown.isEmpty() || shown == MarkOnlyHere[side])
                continue; // a gap row
            const SheetPairMark mark = k < marks.size() ? marks[k] : SheetPairMark::None;
            if (failure.isEmpty() && mark == SheetPairMark::Unpaired) {
                item->setText(MarkColumn, MarkOnlyHere[side]);
                continue;
            }
            if (!failure.isEmpty() || mark == SheetPairMark::None) {
                item->setText(MarkColumn, MarkFailed);
                item->setToolTip(MarkColumn, failure);
                continue;
            }
            const bool differs = mark == SheetPairMark::Differs;
            item->setText(MarkColumn, differs ? MarkDiffers : MarkSame);
            for (int c = 0; c < list->columnCount(); ++c)
                item->setBackground(c, differs ? QBrush(changedColour) : QBrush());
        }
        list->resizeColumnToContents(MarkColumn);
    }
}

// A click selects the facing row in the other list unless Ctrl or the right button is held:
// Ctrl lets the user pair sheets that the alignment did not put side by side.
void SheetViewController::selectFacingSheet(int index) {
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

void SheetViewController::showListMenu(int index, const QPoint &globalPos) {
    m_listPopupIndex = index;
    mnuList->popup(globalPos);
}

void SheetViewController::openListFile() {
    const QString path = m_host.pathText(m_listPopupIndex);
    if (fPathKind(path) == PathFile)
        openPath(path);
}

SheetCompareWindow *SheetViewController::sheetCompareWindow() const {
    return qobject_cast<SheetCompareWindow *>(m_sheetWindow.data());
}

// Each comparison writes into a folder of its own: the copies of an earlier one may still be
// open in the spreadsheet application.
QString SheetViewController::nextCopyFolder() {
    if (!m_sheetTemp)
        m_sheetTemp = std::make_unique<QTemporaryDir>();
    return m_sheetTemp->isValid() ? m_sheetTemp->filePath(QString::number(++m_sheetRun))
                                  : QString();
}

void SheetViewController::CompareSheets() {
    if (m_host.isRunning())
        return;
    auto request = std::make_shared<SheetFileRequest>();
    for (int i = 0; i < 2; ++i) {
        const QList<QTreeWidgetItem *> selected = lv[size_t(i)]->selectedItems();
        // A gap row (no sheet number) or no selection at all: nothing to compare.
        if (selected.isEmpty() || selected.first()->text(0).isEmpty())
            return;
        request->paths[size_t(i)] = m_host.pathText(i);
        request->sheetNames[size_t(i)] = selected.first()->text(1);
    }
    Workspace &ws = m_host.workspace();
    request->legend = ws.txtState;
    request->zoomPercent = sheetZoomPercent(m_host.settings().sheetZoom());
    request->alignRows = m_host.settings().sheetAlignRows();
    request->rules = compareRules(m_host.settings());
    // Asked on the worker thread; nothing else touches the folder meanwhile.
    request->outputFolder = [this] { return nextCopyFolder(); };
    request->stop = [&ws] { return ws.bAbort.load(); };

    ws.setStatus(ComparingSheets);
    if (m_marker->isRunning()) {
        m_marker->cancel(); // started again when the comparison ends
        m_marksWaiting = true;
    }
    m_comparingSheets = true;
    auto result = std::make_shared<SheetFileComparison>();
    m_host.runInBackground([request, result] { *result = readAndCompareSheets(*request); },
                           [this, request, result] { showSheetComparison(request, result); });
}

// The window opens as soon as the sheets are compared; the coloured copies are written after
// it, and the status line ends the command when they are. A failure is named in the status
// line: a bare "完了" would pass for a comparison that found no difference.
void SheetViewController::showSheetComparison(const std::shared_ptr<SheetFileRequest> &request,
                                              const std::shared_ptr<SheetFileComparison> &result) {
    if (!result->compared) {
        finishSheetComparison(*result);
        return;
    }
    QString titles[2];
    for (int i = 0; i < 2; ++i)
        titles[i] = fileNameOf(request->paths[size_t(i)]) + QStringLiteral("  [") +
                    request->sheetNames[size_t(i)] + QLatin1Char(']');
    // The window shares the sheets with the copies' writer; neither changes them.
    auto *window = new SheetCompareWindow(result->sheets[0], result->sheets[1], result->comparison,
                                          titles[0], titles[1], m_host.dialogParent());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
    m_sheetWindow = window;
    m_host.runInBackground([request, result] { writeSheetCopies(*request, *result); },
                           [this, result] {
                               m_sheetCopies = result->copies;
                               if (!m_sheetCopies.isEmpty() && openInSpreadsheet)
                                   openInSpreadsheet(m_sheetCopies);
                               finishSheetComparison(*result);
                           });
}

void SheetViewController::finishSheetComparison(const SheetFileComparison &result) {
    m_comparingSheets = false;
    if (m_marksWaiting)
        markSheetPairs();
    QString status = result.problems.join(QStringLiteral("  "));
    if (result.problems.isEmpty())
        status = SheetsDone + (m_sheetCopies.isEmpty()
                                   ? QString()
                                   : CopiesFolder.arg(QFileInfo(m_sheetCopies.first()).path()));
    m_host.workspace().setStatus(status);
    QApplication::beep();
}
