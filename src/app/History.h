#pragma once

#include <QString>
#include <QStringList>

// The path boxes' drop-down history: newest first, no duplicates, at most ten entries.
class PathHistory {
public:
    static constexpr int MaxEntries = 10;

    // Puts path on top; an older equal entry goes away, and the oldest beyond ten drops off.
    void add(const QString &path);
    void append(const QString &path); // as stored, oldest last (start-up)
    const QStringList &entries() const { return m_entries; }

    // The stored form: each entry scrambled, joined with "|".
    QString encoded() const;
    static PathHistory decoded(const QString &stored);

private:
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

    // A stored value: path1 + "|" + path2, scrambled. A value without "|" is no valid pair.
    static bool decodePair(const QString &stored, Pair *pair);

private:
    QList<Pair> m_pairs;
};
