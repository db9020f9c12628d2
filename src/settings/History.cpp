#include "settings/History.h"

#include "engine/EngineTexts.h"

void PathHistory::add(const QString &path) {
    m_entries.prepend(path);
    const int older = int(m_entries.indexOf(path, 1));
    if (older > 0)
        m_entries.removeAt(older);
    while (m_entries.size() > MaxEntries)
        m_entries.removeLast();
}

void PathHistory::append(const QString &path) {
    if (!path.isEmpty() && !m_entries.contains(path) && m_entries.size() < MaxEntries)
        m_entries.append(path);
}

PathHistory PathHistory::restored(const QStringList &stored) {
    PathHistory history;
    for (const QString &entry : stored)
        history.append(entry);
    return history;
}

void RecentComparisons::add(const QString &path1, const QString &path2) {
    if (path1 == ClipboardWord || path2 == ClipboardWord)
        return;
    const Pair pair{path1, path2};
    for (int k = 0; k < m_pairs.size(); ++k) {
        if (m_pairs[k].tag() == pair.tag()) {
            m_pairs.removeAt(k);
            break;
        }
    }
    m_pairs.prepend(pair);
    while (m_pairs.size() > MaxEntries)
        m_pairs.removeLast();
}

bool RecentComparisons::splitPair(const QString &stored, Pair *pair) {
    const int bar = int(stored.indexOf(QLatin1Char('|')));
    if (bar < 0)
        return false;
    pair->path1 = stored.left(bar);
    pair->path2 = stored.mid(bar + 1);
    return true;
}
