// The View menu's list of encodings: a side's file shown again in the encoding the user picks.
#include "encoding/EncodingNames.h"
#include "mainwindow/frmMain.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

QMenu *subMenu(QMenu *menu, const QString &caption) {
    for (QAction *a : menu->actions()) {
        if (a->menu() && a->text() == caption)
            return a->menu();
    }
    return nullptr;
}

QAction *item(QMenu *menu, const QString &caption) {
    for (QAction *a : menu->actions()) {
        if (a->text() == caption)
            return a;
    }
    return nullptr;
}

} // namespace

TEST(EncodingMenu, PickedEncodingHoldsUntilAnotherFileIsCompared) {
    TempFiles files;
    const QString text = QStringLiteral(u"这是一个测试文件。我们今天去公园散步，天气很好。\n");
    const QString gb = files.write(
        "gb.txt", QByteArray::fromHex("d5e2cac7d2bbb8f6b2e2cad4cec4bcfea1a3ced2c3c7bdf1"
                                      "ccecc8a5b9abd4b0c9a2b2bda3acccecc6f8badcbac3a1a30a"));
    const QString utf8 = files.write("utf8.txt", text.toUtf8());
    const QString other = files.write("other.txt", "plain\n");
    files.write("setting.ini", "[Corvane]\n");
    frmMain w({gb, utf8}, files.filePath("setting.ini"));
    w.show();
    QApplication::processEvents();
    QApplication::processEvents();
    w.waitForRun();
    Workspace &ws = w.workspace();
    ASSERT_TRUE(
        w.statusPanel->text().contains(QStringLiteral("(文字コードを判別できません: 左を ")))
        << w.statusPanel->text().toStdString();

    QMenu *encodings = subMenu(w.mnuView, QStringLiteral("文字コードを指定して再表示(&E)"));
    ASSERT_TRUE(encodings);
    Q_EMIT encodings->aboutToShow();
    QMenu *left = subMenu(encodings, QStringLiteral("ファイル1(&1)"));
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->isEnabled());
    Q_EMIT left->aboutToShow();
    // The detected one is marked, and automatic detection is the one in force.
    const QString detected = encodingCaption(ws.detectedEncoding[0]);
    EXPECT_TRUE(item(left, detected + QStringLiteral("  (判別結果)")));
    EXPECT_TRUE(item(left, QStringLiteral("自動判別(&A)"))->isChecked());
    QAction *gbItem = item(left, QStringLiteral("GB18030"));
    ASSERT_TRUE(gbItem);
    Q_EMIT left->hovered(gbItem);
    EXPECT_EQ(w.statusPanel->text(), QStringLiteral("GB18030 として読み直して比較します"));

    gbItem->trigger();
    w.waitForRun();
    EXPECT_EQ(w.statusPanel->text(), QStringLiteral("完了  (左を GB18030 で表示しています)"));
    EXPECT_EQ(ws.fg.text(1, 1), text.chopped(1));
    Q_EMIT left->aboutToShow();
    EXPECT_TRUE(gbItem->isChecked());

    // Compared again, the pick holds; another file on that side forgets it.
    w.runComparison();
    w.waitForRun();
    EXPECT_EQ(ws.chosenEncoding[0], QStringLiteral("GB18030"));
    w.cb[0]->setEditText(other);
    w.runComparison();
    w.waitForRun();
    EXPECT_TRUE(ws.chosenEncoding[0].isEmpty());
    EXPECT_FALSE(w.statusPanel->text().contains(QStringLiteral("GB18030")));
}
