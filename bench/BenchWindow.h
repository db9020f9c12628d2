#pragma once

#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
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

// The process's resident memory now and at its peak so far, in MB (Linux; -1 elsewhere).
struct BenchMemory {
    double now = -1;
    double peak = -1;
};
inline BenchMemory benchMemory() {
    BenchMemory m;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return m;
    for (const QByteArray &line : status.readAll().split('\n')) {
        const auto kb = [&] { return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024; };
        if (line.startsWith("VmRSS:"))
            m.now = kb();
        else if (line.startsWith("VmHWM:"))
            m.peak = kb();
    }
    return m;
}

// Starts measuring the peak of benchMemory() anew (Linux).
inline void resetPeakMemory() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}
