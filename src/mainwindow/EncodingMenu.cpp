#include "mainwindow/EncodingMenu.h"

#include "encoding/EncodingNames.h"
#include "engine/Workspace.h"
#include "mainwindow/HelpMenu.h"
#include "mainwindow/ViewHost.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {

const QString MenuCaption = QStringLiteral("文字コードを指定して再表示(&E)");
const QString SideCaptions[2] = {QStringLiteral("ファイル1(&1)"), QStringLiteral("ファイル2(&2)")};
const QString AutomaticCaption = QStringLiteral("自動判別(&A)");
const QString DetectedMark = QStringLiteral("  (判別結果)");

const QString MenuHelp = QStringLiteral("ファイルを指定した文字コードで読み直して比較します");
const QString AutomaticHelp = QStringLiteral("文字コードを自動で判別して読み直します");
const QString EncodingHelp = QStringLiteral("%1 として読み直して比較します");

// Picks an encoding for a side's file (empty: detection again) and compares anew.
void pick(ViewHost *host, int side, const QString &name) {
    if (host->isRunning())
        return;
    Workspace &ws = host->workspace();
    ws.chosenEncoding[size_t(side)] = name;
    ws.chosenEncodingPath[size_t(side)] = name.isEmpty() ? QString() : ws.cb[size_t(side)];
    host->runComparison();
}

// One side's list: the automatic item, then every encoding.
QMenu *addSideMenu(QMenu *parent, ViewHost *host, int side) {
    QMenu *menu = parent->addMenu(SideCaptions[side]);
    menu->menuAction()->setProperty(HelpMenu::HelpTextProperty, MenuHelp);
    auto *group = new QActionGroup(menu);
    QAction *automatic = menu->addAction(AutomaticCaption);
    automatic->setProperty(HelpMenu::HelpTextProperty, AutomaticHelp);
    automatic->setCheckable(true);
    group->addAction(automatic);
    QObject::connect(automatic, &QAction::triggered, menu,
                     [host, side] { pick(host, side, QString()); });
    menu->addSeparator();
    QList<QAction *> items;
    for (const EncodingInfo &e : knownEncodings()) {
        QAction *item = menu->addAction(QString::fromLatin1(e.caption));
        item->setData(e.name);
        item->setProperty(HelpMenu::HelpTextProperty,
                          EncodingHelp.arg(QString::fromLatin1(e.caption)));
        item->setCheckable(true);
        group->addAction(item);
        items << item;
        const QString name = e.name;
        QObject::connect(item, &QAction::triggered, menu,
                         [host, side, name] { pick(host, side, name); });
    }
    // The marks follow the last comparison each time the list opens.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [host, side, automatic, items] {
        const Workspace &ws = host->workspace();
        const QString &chosen = ws.chosenEncoding[size_t(side)];
        const QString &detected = ws.detectedEncoding[size_t(side)];
        automatic->setChecked(chosen.isEmpty());
        for (QAction *item : items) {
            const QString name = item->data().toString();
            const EncodingInfo *e = findEncoding(name);
            item->setText(QString::fromLatin1(e->caption) +
                          (name == detected ? DetectedMark : QString()));
            item->setChecked(name == chosen);
        }
    });
    return menu;
}

} // namespace

QMenu *EncodingMenu::addEncodingMenu(QMenu *menu, ViewHost *host) {
    QMenu *encodings = menu->addMenu(MenuCaption);
    encodings->menuAction()->setProperty(HelpMenu::HelpTextProperty, MenuHelp);
    QMenu *sides[2] = {addSideMenu(encodings, host, 0), addSideMenu(encodings, host, 1)};
    // Only a side whose text file the last comparison read can be read again.
    QObject::connect(encodings, &QMenu::aboutToShow, encodings, [host, sides] {
        const Workspace &ws = host->workspace();
        for (int side = 0; side < 2; ++side)
            sides[side]->setEnabled(!host->isRunning() &&
                                    !ws.shownEncoding[size_t(side)].isEmpty());
    });
    return encodings;
}
