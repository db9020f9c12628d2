#include "app/QtTranslations.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

// The standard dialogs speak Japanese once Qt's translations are installed (a dependency).
TEST(QtTranslationsTest, StandardButtonsSpeakJapanese) {
    ASSERT_TRUE(installQtTranslations(*qApp));
    QMessageBox box(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::Cancel);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("はい")));
    EXPECT_TRUE(box.button(QMessageBox::Cancel)->text().startsWith(QStringLiteral("キャンセル")));
    for (QTranslator *t : qApp->findChildren<QTranslator *>()) { // the other tests as before
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}
