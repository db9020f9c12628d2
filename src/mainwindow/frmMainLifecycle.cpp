// Start-up, first activation, shut-down and the history lists of the main window.
#include "mainwindow/frmMain.h"

#include "run/ComparisonRunner.h"

#include "run/GridFill.h"
#include "run/TextDiff.h"
#include "mainwindow/DiffOverviewBar.h"
#include "mainwindow/ResultGridView.h"
#include "settings/IniFile.h"
#include "settings/SettingCodec.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

namespace {

// Menu check marks are stored as -1/0, toolbar toggles as 1/0.
QString checkMark(bool on) { return on ? QStringLiteral("-1") : QStringLiteral("0"); }
QString toggle(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

} // namespace

void frmMain::Form_Load() {
    auto readInt = [this](const char *key, int defaultValue) {
        return fReadIniInt(SettingsSection, QString::fromLatin1(key), defaultValue, m_iniPath);
    };

    // Font face: empty means the system's fixed-width font.
    const QString face =
        fReadIni(SettingsSection, QStringLiteral("Font"), m_iniPath, QString()).trimmed();
    QFont font = face.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                                : QFont(face);
    for (ResultGridView *v : m_views)
        v->setFont(font);
    pic1->setFont(font);
    for (QTreeWidget *list : lv)
        list->setFont(font);

    m_ws.sShowView(ResultView::Text);

    // The three toggles, then the binary toggle's command once: it picks the view and runs a
    // comparison of the still empty path boxes, which only resets the views.
    tbOnlyDF->setChecked(readInt("OnlyDF", 0) != 0);
    tbBinary->setChecked(readInt("Binary", 0) != 0);
    tbCsv->setChecked(readInt("Csv", 0) != 0);
    m_ws.OnlyDF = tbOnlyDF->isChecked();
    m_ws.Csv = tbCsv->isChecked();
    toggleBinary();
    waitForRun(); // nothing to read: the run only resets the views, before they are styled

    sLoadWindowPlacement();

    if (readInt("Top", 0) != 0) {
        mnuOptionsOnTop->setChecked(true);
        toggleOnTop(true);
    }
    if (readInt("Toolbar", -1) == 0) {
        mnuViewToolbar->setChecked(false);
        toggleToolbar(false);
    }
    if (readInt("Statusbar", -1) == 0) {
        mnuViewStatusbar->setChecked(false);
        toggleStatusbar(false);
    }
    if (readInt("Diffbar", -1) == 0) {
        mnuViewDiffbar->setChecked(false);
        toggleDiffbar(false);
    }

    applyFontSize(readInt("FontSize", 9));
    sSetupGridColumns(m_ws);

    const int defaults[3] = {int(Workspace::DefaultChangedColor),
                             int(Workspace::DefaultAddedColor),
                             int(Workspace::DefaultDeletedColor)};
    for (int k = 0; k < 3; ++k)
        setLegendColour(k, Color(readInt(QStringLiteral("Color%1").arg(k).toLatin1().constData(),
                                         defaults[k])));

    const bool wrap = readInt("Return", 0) != 0;
    m_ws.fg.setWordWrap(wrap);
    m_views[0]->setWordWrap(wrap);

    m_ws.folderContentMode = readInt("FFile", 0);
    m_ws.ignoreCase = readInt("Letter", 0) != 0;

    loadRecentComparisons();
}

// Oldest first, so that History01 ends up on top. A value that does not hold a pair (edited
// by hand) is passed over.
void frmMain::loadRecentComparisons() {
    for (int n = RecentComparisons::MaxEntries; n >= 1; --n) {
        const QString stored =
            fReadIni(SettingsSection, QStringLiteral("History0%1").arg(n), m_iniPath, QString());
        RecentComparisons::Pair pair;
        if (!stored.isEmpty() && RecentComparisons::decodePair(stored, &pair))
            m_recent.add(pair.path1, pair.path2);
    }
    refreshRecentMenu();
}

void frmMain::Form_Activate() {
    m_history = PathHistory::decoded(
        fReadIni(SettingsSection, QStringLiteral("Combo"), m_iniPath, QString()));
    refreshComboLists();
    sCommandLineCompare();
    for (QLabel *legend : txtState)
        legend->setVisible(true);
}

// Paths named on the command line go into the path boxes and are compared. One path alone is
// compared with an empty other side, so it is shown rather than ignored.
void frmMain::sCommandLineCompare() {
    if (m_arguments.isEmpty())
        return;
    cb[0]->setEditText(m_arguments.value(0));
    cb[1]->setEditText(m_arguments.value(1));
    runComparison();
}

void frmMain::closeEvent(QCloseEvent *event) {
    if (m_running) {
        // A comparison is under way: stop it first; the window closes when it has ended.
        m_runner->abort();
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    Form_QueryUnload();
    event->accept();
}

void frmMain::Form_QueryUnload() {
    auto write = [this](const QString &key, const QString &value) {
        sWriteIni(SettingsSection, key, value, m_iniPath);
    };
    sSaveWindowPlacement();
    write(QStringLiteral("Top"), checkMark(mnuOptionsOnTop->isChecked()));
    write(QStringLiteral("Toolbar"), checkMark(mnuViewToolbar->isChecked()));
    write(QStringLiteral("Statusbar"), checkMark(mnuViewStatusbar->isChecked()));
    write(QStringLiteral("Diffbar"), checkMark(mnuViewDiffbar->isChecked()));
    write(QStringLiteral("OnlyDF"), toggle(tbOnlyDF->isChecked()));
    write(QStringLiteral("Binary"), toggle(tbBinary->isChecked()));
    write(QStringLiteral("Csv"), toggle(tbCsv->isChecked()));
    for (int k = 0; k < 3; ++k)
        write(QStringLiteral("Color%1").arg(k), QString::number(m_ws.txtState[size_t(k)]));
    write(QStringLiteral("Combo"), m_history.encoded());
    const QList<RecentComparisons::Pair> &pairs = m_recent.pairs();
    for (int n = 1; n <= pairs.size(); ++n)
        write(QStringLiteral("History0%1").arg(n), fEncodeSetting(pairs[n - 1].tag()));
}

// The window's state, and in the normal state its place and size in twips.
void frmMain::sSaveWindowPlacement() {
    const int state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    sWriteIni(SettingsSection, QStringLiteral("WinState"), QString::number(state), m_iniPath);
    if (state != 0)
        return;
    const double toTwips = 1440.0 / logicalDpiX();
    auto write = [&](const char *key, int pixels) {
        sWriteIni(SettingsSection, QString::fromLatin1(key),
                  QString::number(qRound(pixels * toTwips)), m_iniPath);
    };
    write("X", pos().x());
    write("Y", pos().y());
    write("H", height());
    write("W", width());
}

void frmMain::sLoadWindowPlacement() {
    auto readInt = [this](const char *key, int defaultValue) {
        return fReadIniInt(SettingsSection, QString::fromLatin1(key), defaultValue, m_iniPath);
    };
    const int state = readInt("WinState", 0);
    if (state == 0) {
        move(twips(readInt("X", 0)), twips(readInt("Y", 0)));
        resize(std::max(twips(readInt("W", 9600)), 200), std::max(twips(readInt("H", 9600)), 150));
    } else if (state == 2) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else if (state == 1) {
        setWindowState(windowState() | Qt::WindowMinimized);
    }
}

// ---- History lists ----

void frmMain::sAddComboHistory(const QString &path) {
    m_history.add(path);
    refreshComboLists();
}

void frmMain::refreshComboLists() {
    for (QComboBox *box : cb) {
        const QString text = box->currentText();
        const QSignalBlocker block(box);
        box->clear();
        box->addItems(m_history.entries());
        box->setEditText(text);
    }
}

void frmMain::sAddRecent(const QString &path1, const QString &path2) {
    m_recent.add(path1, path2);
    refreshRecentMenu();
}

// The recent comparisons stand between their own separator and the one above "終了": path 1,
// and path 2 in the menu's right-hand column.
void frmMain::refreshRecentMenu() {
    qDeleteAll(m_recentActions);
    m_recentActions.clear();
    m_recentSeparator->setVisible(!m_recent.pairs().isEmpty());
    for (const RecentComparisons::Pair &pair : m_recent.pairs()) {
        auto *action = new QAction(pair.path1 + QLatin1Char('\t') + pair.path2, mnuFile);
        connect(action, &QAction::triggered, this, [this, pair] {
            cb[0]->setEditText(pair.path1);
            cb[1]->setEditText(pair.path2);
            runComparison();
        });
        mnuFile->insertAction(m_exitSeparator, action);
        m_recentActions << action;
    }
}
