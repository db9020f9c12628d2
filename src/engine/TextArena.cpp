#include "engine/TextArena.h"

#include <algorithm>

const char16_t *TextArena::store(QStringView text) {
    const size_t n = size_t(text.size());
    if (n == 0)
        return nullptr;
    const bool shareable = n <= size_t(SharedLength);
    if (shareable) {
        if (const auto it = m_shared.constFind(text); it != m_shared.constEnd())
            return it.value();
    }
    char16_t *at;
    if (n > BlockChars / 4) {
        m_long.push_back(std::make_unique_for_overwrite<char16_t[]>(n));
        at = m_long.back().get();
    } else {
        if (m_used + n > BlockChars) {
            m_blocks.push_back(std::make_unique_for_overwrite<char16_t[]>(BlockChars));
            m_used = 0;
        }
        at = m_blocks.back().get() + m_used;
        m_used += n;
    }
    std::copy_n(text.utf16(), n, at);
    if (shareable && m_shared.size() < MaxShared)
        m_shared.insert(QStringView(at, qsizetype(n)), at);
    return at;
}

void TextArena::clear() {
    m_blocks.clear();
    m_long.clear();
    m_shared.clear();
    m_used = BlockChars;
}

void TextArena::swap(TextArena &other) noexcept {
    m_blocks.swap(other.m_blocks);
    m_long.swap(other.m_long);
    m_shared.swap(other.m_shared);
    std::swap(m_used, other.m_used);
}
