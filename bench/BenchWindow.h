#pragma once

#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QString>

// The main window as the window benchmarks use it: shown at one size, idle, with the two
// sources typed into the path boxes.
inline void prepareBenchWindow(frmMain &window, const QString &left, const QString &right) {
    window.resize(1200, 900);
    window.show();
    QApplication::processEvents();
    window.waitForRun();
    window.cb[0]->setEditText(left);
    window.cb[1]->setEditText(right);
}
