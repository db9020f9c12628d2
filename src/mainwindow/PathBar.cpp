#include "mainwindow/PathBar.h"

#include "engine/Workspace.h"
#include "mainwindow/EventHook.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/ViewHost.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>

#include <algorithm>

using namespace MainTexts;

namespace {
// The filter list shows its caption as written ("すべてのファイル(*.*)"); the pattern behind it
// is Qt's "*", which also matches names without an extension.
constexpr QFileDialog::Options AllFilesOption = QFileDialog::HideNameFilterDetails;
} // namespace

PathBar::PathBar(ViewHost &host, QWidget *parent) : QObject(parent), m_host(host) {
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
        // Enter in a path box compares, as the toolbar's button does.
        connect(box->lineEdit(), &QLineEdit::returnPressed, this,
                [this] { m_host.runComparison(); });
        QToolButton *button = new QToolButton(parent);
        cmd[size_t(i)] = button;
        button->setText(QStringLiteral("..."));
        button->setToolTip(BrowseButtonTip);
        connect(button, &QToolButton::clicked, this, [this, i] { browse(i, false); });

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
            browse(i, true);
            return true;
        }));
    }
}

int PathBar::layout(int W, int logicalDpi) {
    auto twips = [logicalDpi](int value) { return qRound(value * logicalDpi / 1440.0); };
    // The row grows with the font: the boxes, labels and buttons keep room for their text, and
    // the boxes give up what the labels and buttons need beyond their usual width.
    int rowHeight = twips(360), labelWidth = twips(450), buttonWidth = twips(330);
    for (int i = 0; i < 2; ++i) {
        rowHeight = std::max(rowHeight, cb[size_t(i)]->sizeHint().height());
        const QLabel *label = Label1[size_t(i)];
        labelWidth =
            std::max(labelWidth, label->fontMetrics().horizontalAdvance(label->text()) + twips(60));
        const QToolButton *button = cmd[size_t(i)];
        buttonWidth = std::max(
            buttonWidth, button->fontMetrics().horizontalAdvance(button->text()) + twips(150));
    }
    const int growth = labelWidth - twips(450) + buttonWidth - twips(330);
    const int boxWidth = std::max(twips(600), W / 2 - twips(1200) - growth);
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

void PathBar::pickTwo(bool folders) {
    if (m_host.isRunning())
        return; // the run in progress owns the result until it ends
    auto pick = [&](const QString &title) {
        return folders ? QFileDialog::getExistingDirectory(m_host.dialogParent(), title)
                       : QFileDialog::getOpenFileName(m_host.dialogParent(), title, QString(),
                                                      AllFilesFilter, nullptr, AllFilesOption);
    };
    const QString first = pick(folders ? PickFolder1 : PickFile1);
    if (first.isEmpty())
        return;
    cb[0]->setEditText(first);
    const QString second = pick(folders ? PickFolder2 : PickFile2);
    if (!second.isEmpty())
        cb[1]->setEditText(second);
    m_host.runComparison();
}

void PathBar::browse(int side, bool folder) {
    if (m_host.isRunning())
        return; // the run in progress owns the result until it ends
    const QString path =
        folder ? QFileDialog::getExistingDirectory(m_host.dialogParent(), BrowseFolder)
               : QFileDialog::getOpenFileName(m_host.dialogParent(), OpenFile, QString(),
                                              AllFilesFilter, nullptr, AllFilesOption);
    if (path.isEmpty())
        return;
    cb[side]->setEditText(path);
    m_host.runComparison();
}

void PathBar::fg_Drop(const QStringList &paths, int mouseCol) {
    if (m_host.isRunning())
        return; // the run in progress owns the result until it ends
    if (paths.isEmpty())
        return;
    if (paths.size() == 1) {
        cb[mouseCol < 2 ? 0 : 1]->setEditText(paths.first());
    } else {
        cb[0]->setEditText(paths[0]);
        cb[1]->setEditText(paths[1]);
    }
    m_host.runComparison();
}

void PathBar::swapSides() {
    if (m_host.isRunning())
        return; // the run in progress owns the result until it ends
    const QString left = cb[0]->currentText();
    cb[0]->setEditText(cb[1]->currentText());
    cb[1]->setEditText(left);
    Workspace &ws = m_host.workspace();
    std::swap(ws.clipboardSlot[0], ws.clipboardSlot[1]);
    m_host.runComparison();
}
