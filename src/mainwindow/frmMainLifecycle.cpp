// Start-up, first activation, shut-down and the history lists of the main window.
#include "mainwindow/frmMain.h"

#include "mainwindow/TextEditController.h"

#include "mainwindow/LegendBoxes.h"
#include "mainwindow/ResultViewStack.h"
#include "mainwindow/RunController.h"
#include "mainwindow/SheetViewController.h"
#include "mainwindow/TextViewController.h"
#include "mainwindow/WindowPlacement.h"
#include "run/GridFill.h"
#include "settings/ComparisonOptions.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>

namespace {

// The grid font when the setting names none: a fixed-width face that has Japanese glyphs, so
// that digits keep one size whatever follows them; else the system's fixed-width font.
QFont defaultGridFont() {
    const QStringList families = {QStringLiteral("Noto Sans Mono CJK JP"),
                                  QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic")};
    for (const QString &family : families) {
        if (QFontDatabase::hasFamily(family) &&
            QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese)) {
            QFont font(family);
            font.setStyleHint(QFont::Monospace);
            font.setPointSizeF(QFontDatabase::systemFont(QFontDatabase::FixedFont).pointSizeF());
            return font;
        }
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace

void frmMain::Form_Load() {
    const ComparisonOptions options = ComparisonOptions::load(m_settings);

    const QString face = m_settings.fontFace();
    QFont font = face.isEmpty() ? defaultGridFont() : QFont(face);
    m_views->setFont(font);
    pic1->setFont(font);
    m_sheetViewController->setListFont(font);

    m_ws.sShowView(ResultView::Text);

    // The three toggles, then the binary toggle's command once: it picks the view and runs a
    // comparison of the still empty path boxes, which only resets the views.
    tbOnlyDF->setChecked(options.onlyDifferences);
    tbBinary->setChecked(options.binary);
    tbCsv->setChecked(options.csv);
    m_ws.OnlyDF = tbOnlyDF->isChecked();
    m_ws.Csv = tbCsv->isChecked();
    toggleBinary();
    waitForRun(); // nothing to read: the run only resets the views, before they are styled

    sLoadWindowPlacement(*this, m_settings);

    if (m_settings.onTop()) {
        mnuOptionsOnTop->setChecked(true);
        toggleOnTop(true);
    }
    if (!m_settings.showToolbar()) {
        mnuViewToolbar->setChecked(false);
        toggleToolbar(false);
    }
    if (!m_settings.showStatusbar()) {
        mnuViewStatusbar->setChecked(false);
        toggleStatusbar(false);
    }
    if (!m_settings.showDiffbar()) {
        mnuViewDiffbar->setChecked(false);
        toggleDiffbar(false);
    }

    applyFontSize(m_settings.fontSize());
    setupGridColumns(m_ws);

    for (int k = 0; k < 3; ++k)
        m_legend->setLegendColour(k, options.colours[size_t(k)]);

    m_textView->setWordWrap(m_settings.wordWrap());

    options.applyDialogOptionsTo(m_ws);
    mnuViewRecursive->setChecked(options.recursiveFolders);

    m_historyLists->loadRecentComparisons(m_settings);
}

void frmMain::Form_Activate() {
    m_historyLists->loadPathHistory(m_settings);
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
    if (isRunning()) {
        // A comparison is under way: stop it first; the window closes when it has ended.
        m_run->abort();
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    if (!m_textEdit->maySetAside()) {
        event->ignore(); // the user goes on with the edited texts
        return;
    }
    Form_QueryUnload();
    event->accept();
}

void frmMain::Form_QueryUnload() {
    // Shutting down goes on whatever a write returns: there is no one left to tell.
    sSaveWindowPlacement(*this, m_settings);
    m_settings.setOnTop(mnuOptionsOnTop->isChecked());
    m_settings.setShowToolbar(mnuViewToolbar->isChecked());
    m_settings.setShowStatusbar(mnuViewStatusbar->isChecked());
    m_settings.setShowDiffbar(mnuViewDiffbar->isChecked());
    m_settings.setOnlyDifferences(tbOnlyDF->isChecked());
    m_settings.setBinary(tbBinary->isChecked());
    m_settings.setCsv(tbCsv->isChecked());
    for (int k = 0; k < 3; ++k)
        m_settings.setColour(k, m_ws.txtState[size_t(k)]);
    m_historyLists->save(m_settings);
}
