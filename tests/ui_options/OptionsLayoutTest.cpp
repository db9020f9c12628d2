#include "settings/Settings.h"
#include "settings/ui/frmOption.h"
#include "support/TempFiles.h"

#include <QApplication>
#include <QGroupBox>
#include <QLayout>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <gtest/gtest.h>

namespace {

// The visible widgets placed directly in `parent`, in parent coordinates.
QList<QWidget *> placedChildren(QWidget *parent) {
    QList<QWidget *> children;
    for (QWidget *w : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!w->isHidden() && !w->isWindow())
            children << w;
    }
    return children;
}

// Where a frame draws its title.
QRect titleRect(QGroupBox *box) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    return box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel,
                                        box);
}

// Nothing in the dialog overlaps: no two controls of one parent, no frame title and a control
// of its frame, and every control is at least as large as it needs to be for its text.
void expectNothingOverlaps(QWidget *parent, const std::string &where) {
    const QList<QWidget *> children = placedChildren(parent);
    for (int i = 0; i < children.size(); ++i) {
        QWidget *a = children[i];
        EXPECT_GE(a->width(), a->minimumSizeHint().width())
            << where << " " << a->objectName().toStdString() << a->metaObject()->className();
        EXPECT_GE(a->height(), a->minimumSizeHint().height()) << where;
        EXPECT_TRUE(parent->rect().contains(a->geometry())) << where;
        for (int j = i + 1; j < children.size(); ++j)
            EXPECT_FALSE(a->geometry().intersects(children[j]->geometry()))
                << where << ": " << a->metaObject()->className() << " and "
                << children[j]->metaObject()->className();
        if (auto *box = qobject_cast<QGroupBox *>(a)) {
            const QRect title = titleRect(box);
            for (QWidget *inside : placedChildren(box))
                EXPECT_FALSE(title.intersects(inside->geometry()))
                    << where << ": the title of " << box->title().toStdString();
            expectNothingOverlaps(box, where + " / " + box->title().toStdString());
        }
    }
}

} // namespace

TEST(OptionsLayout, NothingOverlapsAtFontSizesNineToSixteen) {
    TempFiles files;
    Settings settings(files.filePath("setting.ini"));
    OptionHost host;
    host.fontSize = 9;
    for (int points = 9; points <= 16; ++points) {
        QFont font = QApplication::font();
        font.setPointSize(points);
        frmOption dialog(host, settings);
        dialog.setFont(font);
        dialog.show();
        QApplication::processEvents();
        expectNothingOverlaps(&dialog, std::to_string(points) + " pt");
        EXPECT_EQ(dialog.size(), dialog.sizeHint()); // grown with its font
    }
}
