#pragma once

#include <QObject>
#include <QStringList>

#include <array>

class QComboBox;
class QLabel;
class QToolButton;
class QWidget;
class ViewHost;

// The row of the two sources above the views: the labels "ﾊﾟｽ1"/"ﾊﾟｽ2", the path boxes and
// the browse buttons, and the commands that fill the boxes. A left click on a label selects its
// box's text; a button browses for a file with the left mouse button and for a folder with the
// right one.
class PathBar : public QObject {
    Q_OBJECT
public:
    PathBar(ViewHost &host, QWidget *parent);

    // Places the row at the top of its parent, width wide; returns the row's height.
    // logicalDpi converts the layout's twips to pixels.
    int layout(int width, int logicalDpi);

    // Controls, named as the rest of the program knows them.
    std::array<QLabel *, 2> Label1{};
    std::array<QComboBox *, 2> cb{};
    std::array<QToolButton *, 2> cmd{};

    // Commands that fill the path boxes, then run a comparison; nothing while one runs.
    // File items "ファイル比較"/"フォルダ比較": both sides, one after the other.
    void pickTwo(bool folders);
    // A browse button: a file or a folder for one side.
    void browse(int side, bool folder);
    // Files dropped onto a result grid: one goes to the side of the column under the mouse,
    // two or more fill both path boxes.
    void fg_Drop(const QStringList &paths, int mouseCol);
    // View item "入れ替え": the two sides change places, clipboard texts included.
    void swapSides();

private:
    ViewHost &m_host;
};
