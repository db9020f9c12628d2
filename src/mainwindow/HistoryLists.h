#pragma once

#include "settings/History.h"

#include <QList>
#include <QObject>

#include <array>

class QAction;
class QComboBox;
class QMenu;
class Settings;

// The history lists the window shows: the paths compared, in the path boxes' drop-down lists,
// and the recent comparisons, in the File menu above "終了".
class HistoryLists : public QObject {
    Q_OBJECT
public:
    // The recent comparisons stand between recentSeparator and exitSeparator of fileMenu.
    HistoryLists(std::array<QComboBox *, 2> boxes, QMenu *fileMenu, QAction *recentSeparator,
                 QAction *exitSeparator);

    // Reading and writing setting.ini.
    void loadRecentComparisons(const Settings &settings);
    void loadPathHistory(const Settings &settings);
    void save(Settings &settings) const;

    void sAddComboHistory(const QString &path);
    void sAddRecent(const QString &path1, const QString &path2);

    const PathHistory &pathHistory() const { return m_history; }
    const RecentComparisons &recentComparisons() const { return m_recent; }

Q_SIGNALS:
    // A recent comparison was chosen in the File menu.
    void recentChosen(const QString &path1, const QString &path2);

private:
    void refreshComboLists();
    void refreshRecentMenu();

    std::array<QComboBox *, 2> m_boxes;
    QMenu *m_fileMenu;
    QAction *m_recentSeparator;
    QAction *m_exitSeparator;
    PathHistory m_history;
    RecentComparisons m_recent;
    QList<QAction *> m_recentActions;
};
