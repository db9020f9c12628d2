#include "folder/ui/frmDialog.h"

#include "folder/FolderSort.h"
#include "platform/NativePath.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {

const QString TrashCaption = QStringLiteral("ごみ箱へ移動");
const QString TrashMessage = QStringLiteral("以下のファイルをごみ箱へ移動します。よろしいですか？");
const QString CopyCaption = QStringLiteral("ファイルコピー");
const QString CopyMessage = QStringLiteral("以下の内容でコピーを行います。よろしいですか？");
const QString PathLabel = QStringLiteral("パス");
const QString SourceLabel = QStringLiteral("コピー元");
const QString DestinationLabel = QStringLiteral("コピー先");
const QString FileLabel = QStringLiteral("ファイル");

QTableWidgetItem *fixedItem(const QString &text, const QPalette &palette) {
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled); // neither selectable nor editable
    item->setBackground(palette.button());
    return item;
}

QTableWidgetItem *listItem(const QString &text) {
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

frmDialog::frmDialog(FileOperationKind kind, const QString &sideFolder, const QString &otherFolder,
                     const QStringList &names, const QString &fontFamily, QWidget *parent)
    : QDialog(parent), m_kind(kind), m_fixedRows(kind == FileOperationKind::Copy ? 2 : 1) {
    if (!fontFamily.isEmpty()) {
        QFont f = font();
        f.setFamily(fontFamily);
        setFont(f); // children inherit it
    }
    const bool copy = kind == FileOperationKind::Copy;
    setWindowTitle(copy ? CopyCaption : TrashCaption);
    Label1 = new QLabel(copy ? CopyMessage : TrashMessage, this);

    fg = new QTableWidget(m_fixedRows + 1, 2, this);
    fg->horizontalHeader()->hide();
    fg->verticalHeader()->hide();
    fg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fg->setSelectionBehavior(QAbstractItemView::SelectRows);
    fg->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fg->setWordWrap(false);
    fg->installEventFilter(this);
    const QPalette p = palette();
    fg->setItem(0, 0, fixedItem(copy ? SourceLabel : PathLabel, p));
    fg->setItem(0, 1, fixedItem(sideFolder, p));
    if (copy) {
        fg->setItem(1, 0, fixedItem(DestinationLabel, p));
        fg->setItem(1, 1, fixedItem(otherFolder, p));
    }
    fg->setItem(m_fixedRows, 0, listItem(QString()));
    fg->setItem(m_fixedRows, 1, listItem(QString()));
    for (const QString &name : names)
        addEntry(sideFolder, name);

    cmdMenu[0] = new QPushButton(QStringLiteral("OK"), this);
    cmdMenu[1] = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdMenu[0]->setDefault(true);
    connect(cmdMenu[0], &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdMenu[1], &QPushButton::clicked, this, &QDialog::reject);
    updateOk();

    const int kindWidth = fontMetrics().horizontalAdvance(QStringLiteral("ファイル0000"));
    fg->setColumnWidth(0, kindWidth);
    for (int r = 0; r < m_fixedRows; ++r)
        fg->setRowHeight(r, std::max(twips(300), fontMetrics().height() + 4));
    setMinimumSize(twips(5000), twips(4000));
    resize(parent ? std::max(twips(5000), parent->width() * 9 / 10) : twips(5000), twips(4000));
}

int frmDialog::twips(int value) const {
    return qRound(value * logicalDpiX() / 1440.0);
}

// An entry whose path no longer exists keeps an empty kind, and the next name takes its row:
// only a vanished last entry stays listed, to be reported by the operation.
void frmDialog::addEntry(const QString &folder, const QString &name) {
    if (name.isEmpty())
        return;
    int last = fg->rowCount() - 1;
    if (!fg->item(last, 0)->text().isEmpty()) {
        fg->insertRow(++last);
        fg->setItem(last, 0, listItem(QString()));
        fg->setItem(last, 1, listItem(QString()));
    }
    fg->item(last, 1)->setText(name);
    NativeStat st;
    if (nativeStat(fJoinPath(folder, name), &st, false))
        fg->item(last, 0)->setText(st.isDir ? FolderTypeText : FileLabel);
    fg->item(last, 0)->setTextAlignment(Qt::AlignCenter);
}

QStringList frmDialog::names() const {
    QStringList result;
    for (int r = m_fixedRows; r < fg->rowCount(); ++r) {
        const QTableWidgetItem *item = fg->item(r, 1);
        if (item && !item->text().isEmpty())
            result << item->text();
    }
    return result;
}

void frmDialog::updateOk() {
    cmdMenu[0]->setEnabled(!names().isEmpty());
}

void frmDialog::fg_KeyDown() {
    QList<int> rows;
    for (const QModelIndex &index : fg->selectionModel()->selectedRows()) {
        if (index.row() >= m_fixedRows)
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (const int r : rows) {
        if (fg->rowCount() - m_fixedRows > 1) {
            fg->removeRow(r);
        } else {
            fg->item(r, 0)->setText(QString());
            fg->item(r, 1)->setText(QString());
        }
    }
    updateOk();
}

bool frmDialog::eventFilter(QObject *watched, QEvent *event) {
    if (watched == fg && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        fg_KeyDown();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmDialog::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    const int W = width(), H = height();
    const int buttonWidth = twips(1575), buttonHeight = twips(375);
    const int okLeft = (W - twips(3510)) / 2;
    const int top = H - twips(420);
    cmdMenu[0]->setGeometry(okLeft, top, buttonWidth, buttonHeight);
    cmdMenu[1]->setGeometry(okLeft + twips(1575 + 360), top, buttonWidth, buttonHeight);
    Label1->setGeometry(twips(120), 0, W - twips(240), twips(360));
    fg->setGeometry(twips(120), twips(360), W - twips(240), std::max(0, H - twips(900)));
    fg->setColumnWidth(1, std::max(0, fg->width() - fg->columnWidth(0) - twips(300)));
}
