#pragma once

#include <QString>
#include <QStringList>

// The path boxes' drop-down history: newest first, no duplicates, at most ten entries.
class PathHistory {
public:
    static constexpr int MaxEntries = 10;

    // Puts path on top; an older equal entry goes away, and the oldest beyond ten drops off.
    void add(const QString &path);
    const QStringList &entries() const { return m_entries; }

    // The history as stored (newest first); empty, repeated and surplus entries are dropped.
    static PathHistory restored(const QStringList &stored);

private:
    void append(const QString &path); // below the others, unless it cannot be kept
    QStringList m_entries;
};

// The File menu's recent comparisons: pairs of paths, newest first, at most five.
class RecentComparisons {
public:
    static constexpr int MaxEntries = 5;

    struct Pair {
        QString path1;
        QString path2;
        QString tag() const { return path1 + QLatin1Char('|') + path2; }
    };

    // Puts the pair on top (a pair already listed moves up); nothing for a clipboard side.
    void add(const QString &path1, const QString &path2);
    const QList<Pair> &pairs() const { return m_pairs; }

    // A stored pair: path1 + "|" + path2. A text without "|" is no valid pair.
    static bool splitPair(const QString &stored, Pair *pair);

private:
    QList<Pair> m_pairs;
};
