#pragma once

#include "engine/Workspace.h"

#include <QFile>
#include <QString>

// Small hand-made results shared by the export tests.
namespace ExportFixtures {

inline Color changed(const Workspace &ws) {
    return ws.txtState[0];
}
inline Color added(const Workspace &ws) {
    return ws.txtState[1];
}
inline Color deleted(const Workspace &ws) {
    return ws.txtState[2];
}

inline void setRow(ResultGrid &g, int r, std::initializer_list<QString> texts) {
    int c = 0;
    for (const QString &t : texts)
        g.setText(r, c++, t);
}

inline void paintRow(ResultGrid &g, int r, int firstCol, int endCol, Color color) {
    for (int c = firstCol; c < endCol; ++c)
        g.setBackColor(r, c, color);
}

// The text grid of a run with one changed pair, one left-only line, one right-only line and
// one equal pair, coloured the way the comparison colours them.
inline void fillTextResult(Workspace &ws) {
    ResultGrid &g = ws.fg;
    g.setRows(5);
    setRow(g, 0,
           {QStringLiteral("行"), QStringLiteral("a.txt"), QStringLiteral("行"),
            QStringLiteral("b.txt")});
    g.setNumber(1, 0, 1);
    g.setText(1, 1, QStringLiteral("alpha"));
    g.setNumber(1, 2, 1);
    g.setText(1, 3, QStringLiteral("ALPHA"));
    paintRow(g, 1, 0, 4, changed(ws));
    g.setNumber(2, 0, 2);
    g.setText(2, 1, QStringLiteral("left only"));
    paintRow(g, 2, 0, 2, added(ws));
    paintRow(g, 2, 2, 4, deleted(ws));
    g.setNumber(3, 2, 2);
    g.setText(3, 3, QStringLiteral("right only"));
    paintRow(g, 3, 0, 2, deleted(ws));
    paintRow(g, 3, 2, 4, added(ws));
    g.setNumber(4, 0, 3);
    g.setText(4, 1, QStringLiteral("same"));
    g.setNumber(4, 2, 3);
    g.setText(4, 3, QStringLiteral("same"));
    ws.sShowView(ResultView::Text);
}

inline QByteArray readFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

const QByteArray Bom("\xEF\xBB\xBF");

} // namespace ExportFixtures
