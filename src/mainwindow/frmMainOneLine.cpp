// The one-line comparison command.
#include "mainwindow/frmMain.h"

#include "oneline/ui/frmText.h"

void frmMain::showOneLine() {
    const ResultGrid *g = m_ws.activeGrid();
    if (g != &m_ws.fg && g != &m_ws.fgB)
        return;
    frmText window(m_ws, this);
    if (execOneLine)
        execOneLine(window);
    else
        window.exec();
}
