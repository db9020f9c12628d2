// The options dialog as the main window opens it.
#include "mainwindow/frmMain.h"

#include "mainwindow/LegendBoxes.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/TextViewController.h"
#include "settings/ui/frmOption.h"

void frmMain::showOptions() {
    OptionHost host;
    host.fontSize = view(ResultView::Text)->font().pointSizeF();
    host.legend = m_ws.txtState;
    host.setFontSize = [this](int points) { applyFontSize(points); };
    host.setLegendColour = [this](int index, Color color) {
        m_legend->setLegendColour(index, color);
    };
    host.setWordWrap = [this](bool on) { m_textView->setWordWrap(on); };

    frmOption dialog(host, m_settings, this);
    dialog.exec();

    // A new font size changes the column widths the layout measures.
    pic1_Resize();
    m_ws.folderContentMode = m_settings.folderContentMode();
    m_ws.ignoreCase = m_settings.ignoreCase();
}
