#include "mainwindow/LegendBoxes.h"

#include "engine/Workspace.h"
#include "engine/ui/ColourConversion.h"
#include "mainwindow/EventHook.h"
#include "mainwindow/MainTexts.h"

#include <QColorDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>

using namespace MainTexts;

LegendBoxes::LegendBoxes(Workspace &ws, QStatusBar *bar, int minWidth, QWidget *dialogParent)
    : QObject(bar), m_ws(ws), m_dialogParent(dialogParent) {
    const QString texts[3] = {LegendChanged, LegendAdded, LegendDeleted};
    for (int k = 0; k < 3; ++k) {
        QLabel *box = new QLabel(texts[k], dialogParent);
        txtState[size_t(k)] = box;
        box->setAlignment(Qt::AlignCenter);
        box->setMinimumWidth(minWidth);
        box->setCursor(Qt::PointingHandCursor);
        box->setToolTip(LegendTip);
        box->setAutoFillBackground(true);
        box->installEventFilter(new EventHook(box, [this, k](QEvent *event) {
            if (event->type() != QEvent::MouseButtonRelease ||
                static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
                return false;
            changeLegendColour(k);
            return true;
        }));
        box->setVisible(false); // shown at the first activation
        bar->addPermanentWidget(box);
        setLegendColour(k, m_ws.txtState[size_t(k)]);
    }
}

void LegendBoxes::setLegendColour(int index, Color color) {
    m_ws.txtState[size_t(index)] = color;
    QLabel *box = txtState[size_t(index)];
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, toQColor(color));
    palette.setColor(QPalette::WindowText, Qt::black);
    box->setPalette(palette);
}

void LegendBoxes::changeLegendColour(int index) {
    const QColor current = toQColor(m_ws.txtState[size_t(index)]);
    const QColor chosen =
        pickColour ? pickColour(current) : QColorDialog::getColor(current, m_dialogParent);
    if (!chosen.isValid())
        return;
    setLegendColour(index, fromQColor(chosen));
    m_ws.setStatus(ColoursChanged);
}
