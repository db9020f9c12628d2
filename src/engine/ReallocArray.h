#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

// An array of trivially copyable items that grows with realloc: a large block is moved by the
// system's page tables instead of being copied into a second block, so growing a grid of a
// million rows never holds it twice, and the room kept for growth is not touched (it costs
// address space, not memory) until items are placed in it.
template <class T> class ReallocArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    ReallocArray() = default;
    ~ReallocArray() { std::free(m_data); }
    ReallocArray(ReallocArray &&other) noexcept { swap(other); }
    ReallocArray &operator=(ReallocArray &&other) noexcept {
        ReallocArray(std::move(other)).swap(*this);
        return *this;
    }
    ReallocArray(const ReallocArray &) = delete;
    ReallocArray &operator=(const ReallocArray &) = delete;

    void swap(ReallocArray &other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T *data() { return m_data; }
    const T *data() const { return m_data; }
    T *begin() { return m_data; }
    T *end() { return m_data + m_size; }
    const T *begin() const { return m_data; }
    const T *end() const { return m_data + m_size; }
    T &operator[](size_t i) { return m_data[i]; }
    const T &operator[](size_t i) const { return m_data[i]; }

    // New items are value-initialised. Shrinking to less than half gives the room back.
    void resize(size_t n) {
        if (n > m_capacity)
            reallocate(std::max(n, m_capacity + m_capacity / 2));
        for (size_t i = m_size; i < n; ++i)
            new (m_data + i) T();
        m_size = n;
        if (n < m_capacity / 2)
            reallocate(n);
    }

    // Removes the items [first, last), keeping the order of the rest.
    void erase(T *first, T *last) {
        std::memmove(static_cast<void *>(first), last, size_t(end() - last) * sizeof(T));
        m_size -= size_t(last - first);
    }

private:
    void reallocate(size_t capacity) {
        if (capacity == 0) {
            std::free(m_data);
            m_data = nullptr;
            m_capacity = 0;
            return;
        }
        if (capacity > size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        void *moved = std::realloc(static_cast<void *>(m_data), capacity * sizeof(T));
        if (!moved)
            throw std::bad_alloc();
        m_data = static_cast<T *>(moved);
        m_capacity = capacity;
    }

    T *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};
