#include "mainwindow/HistoryLists.h"

#include "settings/Settings.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

HistoryLists::HistoryLists(std::array<QComboBox *, 2> boxes, QMenu *fileMenu,
                           QAction *recentSeparator, QAction *exitSeparator)
    : m_boxes(boxes), m_fileMenu(fileMenu), m_recentSeparator(recentSeparator),
      m_exitSeparator(exitSeparator) {}

// Oldest first, so that History01 ends up on top. A value that does not hold a pair (edited
// by hand) is passed over.
void HistoryLists::loadRecentComparisons(const Settings &settings) {
    for (int n = RecentComparisons::MaxEntries; n >= 1; --n) {
        RecentComparisons::Pair pair;
        if (RecentComparisons::splitPair(settings.recentComparison(n), &pair))
            m_recent.add(pair.path1, pair.path2);
    }
    refreshRecentMenu();
}

void HistoryLists::loadPathHistory(const Settings &settings) {
    m_history = PathHistory::restored(settings.pathHistory());
    refreshComboLists();
}

// Shutting down goes on whatever a write returns: there is no one left to tell.
void HistoryLists::save(Settings &settings) const {
    settings.setPathHistory(m_history.entries());
    const QList<RecentComparisons::Pair> &pairs = m_recent.pairs();
    for (int n = 1; n <= pairs.size(); ++n)
        settings.setRecentComparison(n, pairs[n - 1].tag());
}

void HistoryLists::sAddComboHistory(const QString &path) {
    m_history.add(path);
    refreshComboLists();
}

void HistoryLists::refreshComboLists() {
    for (QComboBox *box : m_boxes) {
        const QString text = box->currentText();
        const QSignalBlocker block(box);
        box->clear();
        box->addItems(m_history.entries());
        box->setEditText(text);
    }
}

void HistoryLists::sAddRecent(const QString &path1, const QString &path2) {
    m_recent.add(path1, path2);
    refreshRecentMenu();
}

// Path 1, and path 2 in the menu's right-hand column.
void HistoryLists::refreshRecentMenu() {
    qDeleteAll(m_recentActions);
    m_recentActions.clear();
    m_recentSeparator->setVisible(!m_recent.pairs().isEmpty());
    for (const RecentComparisons::Pair &pair : m_recent.pairs()) {
        auto *action = new QAction(pair.path1 + QLatin1Char('\t') + pair.path2, m_fileMenu);
        connect(action, &QAction::triggered, this,
                [this, pair] { Q_EMIT recentChosen(pair.path1, pair.path2); });
        m_fileMenu->insertAction(m_exitSeparator, action);
        m_recentActions << action;
    }
}
