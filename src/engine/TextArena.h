#pragma once

#include <QHash>
#include <QStringView>

#include <memory>
#include <vector>

// Keeps copies of many small texts in large blocks, so that a grid of millions of cells holds
// its own texts without a heap block (and its header) for each. Texts are never freed one by
// one: a replaced text stays until the whole arena is cleared.
class TextArena {
public:
    // A stable copy of text (nullptr for an empty one), valid until clear().
    const char16_t *store(QStringView text);
    void clear();
    void swap(TextArena &other) noexcept;

private:
    static constexpr size_t BlockChars = 32 * 1024;
    std::vector<std::unique_ptr<char16_t[]>> m_blocks; // the last one is being filled
    std::vector<std::unique_ptr<char16_t[]>> m_long;   // a block for each long text
    size_t m_used = BlockChars; // characters used of the last block; full when none yet
    // Short texts already stored, by their characters (views into the blocks). Bounded, so
    // that a column of unique names cannot make it grow without end.
    static constexpr int SharedLength = 24;
    static constexpr qsizetype MaxShared = 4096;
    QHash<QStringView, const char16_t *> m_shared;
};
