#include "app/History.h"

#include "engine/EngineTexts.h"
#include "settings/SettingCodec.h"

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

QString PathHistory::encoded() const {
    QStringList parts;
    for (const QString &entry : m_entries)
        parts << fEncodeSetting(entry);
    return parts.join(QLatin1Char('|'));
}

PathHistory PathHistory::decoded(const QString &stored) {
    PathHistory history;
    for (const QString &part : stored.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        history.append(fDecodeSetting(part));
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

bool RecentComparisons::decodePair(const QString &stored, Pair *pair) {
    const QString text = fDecodeSetting(stored);
    const int bar = int(text.indexOf(QLatin1Char('|')));
    if (bar < 0)
        return false;
    pair->path1 = text.left(bar);
    pair->path2 = text.mid(bar + 1);
    return true;
}
