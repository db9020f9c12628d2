#pragma once

#include <QtGlobal>

#include <algorithm>
#include <utility>
#include <vector>

// The cells of one sheet, kept in one vector sorted by key, which is row-major order for the
// keys Sheet::key makes. Readers hand cells in mostly in that order, so adding one is an append;
// a lookup is a binary search, and a walk over the cells needs no sorting. The interface is the
// part of QHash's that the sheet code uses.
template <typename Value> class CellStore {
public:
    struct Entry {
        quint64 key;
        Value value;
    };

    template <typename E, typename V> class Iterator {
    public:
        Iterator() = default;
        explicit Iterator(E *entry) : m_entry(entry) {}
        quint64 key() const { return m_entry->key; }
        V &value() const { return m_entry->value; }
        V &operator*() const { return m_entry->value; }
        V *operator->() const { return &m_entry->value; }
        Iterator &operator++() {
            ++m_entry;
            return *this;
        }
        bool operator==(const Iterator &other) const { return m_entry == other.m_entry; }
        bool operator!=(const Iterator &other) const { return m_entry != other.m_entry; }

    private:
        E *m_entry = nullptr;
    };
    using iterator = Iterator<Entry, Value>;
    using const_iterator = Iterator<const Entry, const Value>;

    qsizetype size() const { return qsizetype(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    void reserve(qsizetype n) { m_entries.reserve(size_t(std::max<qsizetype>(n, 0))); }

    const_iterator constBegin() const { return const_iterator(m_entries.data()); }
    const_iterator constEnd() const { return const_iterator(m_entries.data() + m_entries.size()); }
    const_iterator begin() const { return constBegin(); }
    const_iterator end() const { return constEnd(); }
    iterator begin() { return iterator(m_entries.data()); }
    iterator end() { return iterator(m_entries.data() + m_entries.size()); }

    const_iterator constFind(quint64 key) const {
        const auto at = lowerBound(key);
        return at != m_entries.end() && at->key == key ? const_iterator(&*at) : constEnd();
    }
    iterator find(quint64 key) {
        const auto at = lowerBound(key);
        return at != m_entries.end() && at->key == key
                   ? iterator(m_entries.data() + (at - m_entries.begin()))
                   : end();
    }
    bool contains(quint64 key) const { return constFind(key) != constEnd(); }
    Value value(quint64 key) const {
        const auto found = constFind(key);
        return found == constEnd() ? Value() : *found;
    }

    // Adds the cell or replaces the one with its key.
    void insert(quint64 key, Value value) {
        if (m_entries.empty() || m_entries.back().key < key) {
            m_entries.push_back({key, std::move(value)});
            return;
        }
        const auto at = std::lower_bound(m_entries.begin(), m_entries.end(), key, keyLess);
        if (at->key == key)
            at->value = std::move(value);
        else
            m_entries.insert(at, Entry{key, std::move(value)});
    }

    // For a reader: adds a cell at the end whatever its key; the store is out of order until
    // settle(). False when the cell replaced the last one added (the same cell again); an
    // earlier cell repeated out of order is counted until settle() drops it.
    bool append(quint64 key, Value value) {
        if (!m_entries.empty() && m_entries.back().key >= key) {
            if (m_entries.back().key == key) {
                m_entries.back().value = std::move(value);
                return false;
            }
            m_settled = false;
        }
        m_entries.push_back({key, std::move(value)});
        return true;
    }
    // Puts appended cells in key order; of cells with one key the last one stays, as a rewrite
    // of a cell replaces it. Returns how many were dropped that way.
    qsizetype settle() {
        if (m_settled)
            return 0;
        m_settled = true;
        std::stable_sort(m_entries.begin(), m_entries.end(),
                         [](const Entry &a, const Entry &b) { return a.key < b.key; });
        size_t out = 0;
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (i + 1 < m_entries.size() && m_entries[i + 1].key == m_entries[i].key)
                continue; // a later one with this key follows
            if (out != i)
                m_entries[out] = std::move(m_entries[i]);
            ++out;
        }
        const qsizetype dropped = qsizetype(m_entries.size() - out);
        m_entries.resize(out);
        return dropped;
    }
    bool isSettled() const { return m_settled; }

private:
    static bool keyLess(const Entry &entry, quint64 key) { return entry.key < key; }
    typename std::vector<Entry>::const_iterator lowerBound(quint64 key) const {
        return std::lower_bound(m_entries.begin(), m_entries.end(), key, keyLess);
    }

    std::vector<Entry> m_entries;
    bool m_settled = true;
};
