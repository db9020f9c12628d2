#include "mainwindow/PathBar.h"

#include "mainwindow/EventHook.h"
#include "mainwindow/MainTexts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>

#include <algorithm>

using namespace MainTexts;

PathBar::PathBar(QWidget *parent) : QObject(parent) {
    const QString labels[2] = {Path1Label, Path2Label};
    for (int i = 0; i < 2; ++i) {
        QLabel *label = new QLabel(labels[i], parent);
        Label1[size_t(i)] = label;
        label->setAlignment(Qt::AlignCenter);
        label->setCursor(Qt::PointingHandCursor);
        QComboBox *box = new QComboBox(parent);
        cb[size_t(i)] = box;
        box->setEditable(true);
        box->setMaxVisibleItems(10);
        box->setInsertPolicy(QComboBox::NoInsert);
        QToolButton *button = new QToolButton(parent);
        cmd[size_t(i)] = button;
        button->setText(QStringLiteral("..."));
        button->setToolTip(BrowseButtonTip);
        connect(button, &QToolButton::clicked, this,
                [this, i] { Q_EMIT browseRequested(i, false); });

        label->installEventFilter(new EventHook(label, [box](QEvent *event) {
            if (event->type() != QEvent::MouseButtonRelease ||
                static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
                return false;
            box->setFocus();
            box->lineEdit()->selectAll();
            return true;
        }));
        button->installEventFilter(new EventHook(button, [this, i](QEvent *event) {
            if (event->type() != QEvent::MouseButtonRelease ||
                static_cast<QMouseEvent *>(event)->button() != Qt::RightButton)
                return false;
            Q_EMIT browseRequested(i, true);
            return true;
        }));
    }
}

int PathBar::layout(int W, int logicalDpi) {
    auto twips = [logicalDpi](int value) { return qRound(value * logicalDpi / 1440.0); };
    const int rowHeight = twips(360);
    const int labelWidth = twips(450);
    const int buttonWidth = twips(330);
    const int boxWidth = std::max(twips(600), W / 2 - twips(1200));
    Label1[0]->setGeometry(0, 0, labelWidth, rowHeight);
    cb[0]->setGeometry(labelWidth, 0, boxWidth, rowHeight);
    cmd[0]->setGeometry(labelWidth + boxWidth, 0, buttonWidth, rowHeight);
    const int label2Left = std::max(labelWidth + boxWidth + buttonWidth, W / 2 - twips(80));
    Label1[1]->setGeometry(label2Left, 0, labelWidth, rowHeight);
    cb[1]->setGeometry(label2Left + labelWidth, 0, boxWidth + twips(40), rowHeight);
    cmd[1]->setGeometry(cb[1]->geometry().right() + 1, 0, buttonWidth, rowHeight);
    for (QComboBox *box : cb)
        box->view()->setMinimumWidth(box->width() + 256);
    return rowHeight;
}
