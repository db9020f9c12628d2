#pragma once

#include <QObject>

#include <array>

class QComboBox;
class QLabel;
class QToolButton;
class QWidget;

// The row of the two sources above the views: the labels "ﾊﾟｽ1"/"ﾊﾟｽ2", the path boxes and
// the browse buttons. A left click on a label selects its box's text; a button browses for a
// file with the left mouse button and for a folder with the right one.
class PathBar : public QObject {
    Q_OBJECT
public:
    explicit PathBar(QWidget *parent);

    // Places the row at the top of its parent, width wide; returns the row's height.
    // logicalDpi converts the layout's twips to pixels.
    int layout(int width, int logicalDpi);

    // Controls, named as the rest of the program knows them.
    std::array<QLabel *, 2> Label1{};
    std::array<QComboBox *, 2> cb{};
    std::array<QToolButton *, 2> cmd{};

Q_SIGNALS:
    void browseRequested(int side, bool folder);
};
