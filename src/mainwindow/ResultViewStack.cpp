#include "mainwindow/ResultViewStack.h"

#include "mainwindow/FolderTreeController.h"
#include "mainwindow/InlineDiffDelegate.h"
#include "mainwindow/ResultGridView.h"

ResultViewStack::ResultViewStack(Workspace &ws, QWidget *parent) {
    ResultGrid *grids[3] = {&ws.fg, &ws.fgB, &ws.fgF};
    for (int k = 0; k < 3; ++k)
        m_views[size_t(k)] = new ResultGridView(grids[k], parent);
    // The text grid's changed pairs show their differing characters.
    m_views[0]->setItemDelegate(new InlineDiffDelegate(ws, m_views[0]));
    // A comparison through every level shows as a tree.
    new FolderTreeController(m_views[2]);
}

ResultViewStack::~ResultViewStack() {
    for (ResultGridView *v : m_views)
        delete v;
}

ResultGridView *ResultViewStack::view(ResultView which) const {
    switch (which) {
    case ResultView::Text:
        return m_views[0];
    case ResultView::Binary:
        return m_views[1];
    case ResultView::Folder:
        return m_views[2];
    case ResultView::Sheets:
        break;
    }
    return nullptr;
}

ResultGridView *ResultViewStack::activeView() const {
    for (ResultGridView *v : m_views) {
        if (v->grid()->isEnabled())
            return v;
    }
    return nullptr;
}

void ResultViewStack::bringToFront(ResultView which, QWidget *sheetView) {
    for (ResultGridView *v : m_views) {
        const bool front = v == view(which);
        v->setVisible(front);
        v->setEnabled(front);
    }
    const bool sheets = which == ResultView::Sheets;
    sheetView->setVisible(sheets);
    sheetView->setEnabled(sheets);
    if (ResultGridView *v = view(which))
        v->raise();
}

void ResultViewStack::setFont(const QFont &font) {
    for (ResultGridView *v : m_views)
        v->setFont(font);
}

QFont ResultViewStack::setFontSize(int points) {
    QFont font = m_views[0]->font();
    font.setPointSize(points > 0 ? points : 9);
    setFont(font);
    return font;
}
