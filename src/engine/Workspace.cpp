#include "engine/Workspace.h"

#include <algorithm>

Workspace::Workspace(QObject *parent) : QObject(parent) {
    sShowView(ResultView::Text);
}

void Workspace::copyRunInputsTo(Workspace &run) const {
    run.fg.copyLayoutFrom(fg);
    run.fgB.copyLayoutFrom(fgB);
    run.fgF.copyLayoutFrom(fgF);
    run.lv = lv;
    run.workbookInfo = workbookInfo;
    run.cb = cb;
    run.clipboardSlot = clipboardSlot;
    run.OnlyDF = OnlyDF;
    run.Binary = Binary;
    run.Csv = Csv;
    run.txtState = txtState;
    run.ignoreCase = ignoreCase;
    run.folding = folding;
    run.minimalMatching = minimalMatching;
    run.inlineDiff = inlineDiff;
    run.sheetAlignRows = sheetAlignRows;
    run.sheetDigits = sheetDigits;
    run.sheetFormulas = sheetFormulas;
    run.folderContentMode = folderContentMode;
    run.recursiveFolders = recursiveFolders;
    run.excludeNames = excludeNames;
    run.chosenEncoding = chosenEncoding;
    run.chosenEncodingPath = chosenEncodingPath;
    run.m_status = m_status;
    run.m_view = m_view;
}

void Workspace::adoptResult(Workspace &run) {
    fg.swapContents(run.fg);
    fgB.swapContents(run.fgB);
    fgF.swapContents(run.fgF);
    DiffCount = run.DiffCount;
    LeftOnlyCount = run.LeftOnlyCount;
    RightOnlyCount = run.RightOnlyCount;
    cb = run.cb;
    runProblems = run.runProblems;
    runNotes = run.runNotes;
    runRemark = run.runRemark;
    chosenEncoding = run.chosenEncoding;
    chosenEncodingPath = run.chosenEncodingPath;
    shownEncoding = run.shownEncoding;
    detectedEncoding = run.detectedEncoding;
    runAborted = run.runAborted;
    runSummary = run.runSummary;
    NotComparedCount = run.NotComparedCount;
    setSheetLists(run.lv, run.workbookInfo);
    sShowView(run.m_view);
    setStatus(run.m_status);
}

void Workspace::processEvents() {
    if (processEventsHook)
        processEventsHook();
}

void Workspace::sAddComboHistory(const QString &path) {
    if (addComboHistoryHook)
        addComboHistoryHook(path);
}

void Workspace::sAddRecent(const QString &path1, const QString &path2) {
    if (addRecentHook)
        addRecentHook(path1, path2);
}

void Workspace::sDiffbarPrint() {
    if (diffbarPrintHook)
        diffbarPrintHook();
}

void Workspace::setBusy(bool busy) {
    if (busyHook)
        busyHook(busy);
}

void Workspace::adjustWrapRowHeights() {
    if (wrapRowHeightsHook)
        wrapRowHeightsHook();
}

void Workspace::raiseWindow() {
    if (raiseWindowHook)
        raiseWindowHook();
}

void Workspace::setStatus(const QString &text) {
    m_status = text;
    Q_EMIT statusChanged(text);
}

void Workspace::reportProgress(qint64 done, qint64 total) {
    if (m_sinceProgress.isValid() && m_sinceProgress.elapsed() < 100)
        return;
    m_sinceProgress.start();
    const QString howFar =
        total > 0 ? QString::number(std::min(done * 100 / total, qint64(100))) + QLatin1Char('%')
                  : QString::number(done) + QStringLiteral(" 件");
    Q_EMIT progressChanged(m_status + QStringLiteral("  ") + howFar);
}

void Workspace::sShowView(ResultView view) {
    m_view = view;
    fg.setEnabled(view == ResultView::Text);
    fgB.setEnabled(view == ResultView::Binary);
    fgF.setEnabled(view == ResultView::Folder);
    Q_EMIT viewChanged(view);
}

void Workspace::setSheetLists(const std::array<QList<SheetListItem>, 2> &lists,
                              const std::array<QString, 2> &info) {
    lv = lists;
    workbookInfo = info;
    Q_EMIT sheetListsChanged();
}

ResultGrid *Workspace::activeGrid() {
    return const_cast<ResultGrid *>(static_cast<const Workspace *>(this)->activeGrid());
}

const ResultGrid *Workspace::activeGrid() const {
    if (fg.isEnabled())
        return &fg;
    if (fgB.isEnabled())
        return &fgB;
    if (fgF.isEnabled())
        return &fgF;
    return nullptr;
}
