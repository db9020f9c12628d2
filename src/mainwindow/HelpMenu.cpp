// The Help menu and the help texts that status panel 1 shows for the highlighted menu item.
#include "mainwindow/HelpMenu.h"

#include "mainwindow/DesktopOpen.h"
#include "mainwindow/EditTexts.h"
#include "mainwindow/MainTexts.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"
#include "platform/ProgramPlace.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QUrl>

#include <algorithm>

using namespace MainTexts;

namespace {

const QString HomePage = QStringLiteral("https://corvane.example.org/");
const QString Author = QStringLiteral("Corvane developers");

QString readMePath() {
    return readMeFilePath();
}

// Help text by menu caption; items not listed (separators, recent comparisons) clear the panel.
const QHash<QString, QString> &helpTexts() {
    static const QHash<QString, QString> texts = {
        {FileCompareFiles,
         QStringLiteral("パス１→パス２の順にファイルを開くダイアログを表示します")},
        {FileCompareFolders,
         QStringLiteral("パス１→パス２の順にフォルダを開くダイアログを表示します")},
        {FileCompare, QStringLiteral("ファイル比較を実行します")},
        {FileSave, QStringLiteral("比較結果をエクセルファイルに保存します")},
        {FileExit, QStringLiteral("Corvaneを終了します")},
        {EditCopy, QStringLiteral("選択したテキストをクリップボードにコピーします")},
        {EditSelectColumn, QStringLiteral("選択している列を１列選択します")},
        {EditSelectAll, QStringLiteral("全てのテキストを選択します")},
        {EditPrevious, QStringLiteral("差分のある行に上方向に移動します")},
        {EditNext, QStringLiteral("差分のある行に下方向に移動します")},
        {EditOneLine, QStringLiteral("選択した１行を詳細に比較")},
        {EditExternal, QStringLiteral("オプションで設定したエディタでテキストファイルを開きます")},
        {EditClear, QStringLiteral("画面をクリア")},
        {EditPaste, QStringLiteral("クリップボードの文字を取得して比較対象にします")},
        {EditTexts::CopyLeft, EditTexts::CopyLeftHelp},
        {EditTexts::CopyRight, EditTexts::CopyRightHelp},
        {EditTexts::CopyAllLeft, EditTexts::CopyAllLeftHelp},
        {EditTexts::CopyAllRight, EditTexts::CopyAllRightHelp},
        {EditTexts::Undo, EditTexts::UndoHelp},
        {EditTexts::Redo, EditTexts::RedoHelp},
        {EditTexts::EditCurrentLine, EditTexts::EditCurrentLineHelp},
        {EditTexts::InsertLine, EditTexts::InsertLineHelp},
        {EditTexts::DeleteLines, EditTexts::DeleteLinesHelp},
        {EditTexts::PasteLines, EditTexts::PasteLinesHelp},
        {EditTexts::SaveLeft, EditTexts::SaveLeftHelp},
        {EditTexts::SaveRight, EditTexts::SaveRightHelp},
        {EditTexts::SaveAs, EditTexts::SaveAsHelp},
        {EditTexts::ToClipboard, EditTexts::ToClipboardHelp},
        {ViewToolbar, QStringLiteral("ツールバーの表示/非表示")},
        {ViewStatusbar, QStringLiteral("ステータスバーの表示/非表示")},
        {ViewDiffbar, QStringLiteral("差分概要の表示/非表示")},
        {ViewRefresh, QStringLiteral("差分概要の情報を最新に更新")},
        {ViewRecursive, QStringLiteral("フォルダ比較でサブフォルダの中まで比較します")},
        {ViewSwap, QStringLiteral("パス１、パス２の位置を入れ替えます")},
        {OptionsOnTop,
         QStringLiteral("チェックを入れると常に画面の手前に表示されるようになります")},
        {OptionsDialog, QStringLiteral("オプション画面を表示")},
        {HelpReadMe, QStringLiteral("ReadMe.txtを開きます")},
        {HelpHomePage, HomePage + QStringLiteral("を開きます")},
        {HelpVersion, QStringLiteral("バージョン情報、作者情報の表示")},
        {QStringLiteral("シートの比較(&C)"), QStringLiteral("選択したシートの比較を行います")},
        {QStringLiteral("ファイルを開く(&O)"), QStringLiteral("ファイルをエクセルで開きます")},
        {QStringLiteral("開く(&O)"), QStringLiteral("ファイル/フォルダを開く")},
        {QStringLiteral("ファイルコピー(&F)"),
         QStringLiteral("選択しているファイル/フォルダをもう一方のフォルダにコピーします")},
        {QStringLiteral("ごみ箱に移動(&T)"),
         QStringLiteral("選択しているファイル/フォルダをごみ箱に移動します")},
        {QStringLiteral("すべて展開(&E)"), QStringLiteral("ツリーのフォルダをすべて開きます")},
        {QStringLiteral("すべて折りたたむ(&W)"),
         QStringLiteral("ツリーのフォルダをすべて閉じます")},
    };
    return texts;
}

} // namespace

QString HelpMenu::menuHelpText(const QAction *action) {
    if (!action || action->isSeparator())
        return QString();
    // Items built elsewhere (the encoding lists) carry their own help text.
    return helpTexts().value(action->text(), action->property(HelpTextProperty).toString());
}

void HelpMenu::buildHelpMenu(QMenu *help, QWidget *window) {
    QAction *readMe = help->addAction(HelpReadMe);
    QObject::connect(readMe, &QAction::triggered, window, [] { openWithDesktop(readMePath()); });
    QObject::connect(help->addAction(HelpHomePage), &QAction::triggered, window,
                     [] { QDesktopServices::openUrl(QUrl(HomePage)); });
    QObject::connect(help->addAction(HelpVersion), &QAction::triggered, window,
                     [window] { QMessageBox::information(window, AppTitle, versionText()); });
    QObject::connect(help, &QMenu::aboutToShow, window,
                     [readMe] { readMe->setEnabled(fFileExists(readMePath())); });
}

QString HelpMenu::versionText() {
    return AppTitle + QStringLiteral(" Ver") + QStringLiteral(CORVANE_VERSION) + QLatin1Char('\t') +
           QStringLiteral("作者 ") + Author;
}

namespace {

// One pass through the menus, from the first highlighted title or opened menu until the last
// menu closes (or the pointer or the keyboard leaves the menu bar with no menu open): the panel's
// text from before the pass comes back at its end. A chosen command writes its own text afterwards.
class MenuPass : public QObject {
public:
    MenuPass(QMenuBar *bar, std::function<QString()> status,
             std::function<void(const QString &)> setStatus)
        : QObject(bar), m_bar(bar), m_status(std::move(status)), m_setStatus(std::move(setStatus)) {
        bar->installEventFilter(this);
    }
    void begin() {
        if (!m_active) {
            m_active = true;
            m_before = m_status();
            // A title highlighted by the pointer alone takes no focus: Esc and clicks go to the
            // widget that has it, so they are watched everywhere until the pass ends.
            qApp->installEventFilter(this);
        }
    }
    void menuShown() {
        begin();
        ++m_openMenus;
    }
    void menuHidden() {
        m_openMenus = std::max(0, m_openMenus - 1);
        end();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        switch (event->type()) {
        case QEvent::Leave:
        case QEvent::FocusOut:
            // The pointer leaves the bar, or the keyboard leaves it (Esc or a click elsewhere).
            if (watched == m_bar)
                end();
            break;
        case QEvent::MouseMove:
            // From a title onto the bar's empty part: nothing is highlighted any more.
            if (watched == m_bar &&
                !m_bar->actionAt(static_cast<QMouseEvent *>(event)->position().toPoint()))
                end();
            break;
        case QEvent::KeyPress:
            // Esc with only a title highlighted (no menu open) ends the pass; with a menu open,
            // its closing does.
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
                end();
            break;
        case QEvent::MouseButtonPress:
            if (watched != m_bar && watched->isWidgetType())
                end();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void end() {
        if (m_active && m_openMenus == 0) {
            m_active = false;
            qApp->removeEventFilter(this);
            m_setStatus(m_before);
        }
    }

    QMenuBar *m_bar;
    std::function<QString()> m_status;
    std::function<void(const QString &)> m_setStatus;
    bool m_active = false;
    int m_openMenus = 0;
    QString m_before;
};

} // namespace

// Every menu of the window, pop-ups included, shows the help of the item under the pointer;
// a title of the menu bar empties the panel. The menu bar also reports the items of the menus
// it opened (after the menu itself has): only its own titles empty the panel.
void HelpMenu::installMenuHelp(QMainWindow *window, const std::function<QString()> &status,
                               const std::function<void(const QString &)> &setStatus) {
    QMenuBar *bar = window->menuBar();
    auto *pass = new MenuPass(bar, status, setStatus);
    for (QMenu *menu : window->findChildren<QMenu *>()) {
        QObject::connect(menu, &QMenu::hovered, window,
                         [setStatus](QAction *action) { setStatus(menuHelpText(action)); });
        QObject::connect(menu, &QMenu::aboutToShow, pass, [pass] { pass->menuShown(); });
        QObject::connect(menu, &QMenu::aboutToHide, pass, [pass] { pass->menuHidden(); });
    }
    QObject::connect(bar, &QMenuBar::hovered, pass, [bar, pass, setStatus](QAction *action) {
        if (!bar->actions().contains(action))
            return;
        pass->begin();
        setStatus(QString());
    });
}
