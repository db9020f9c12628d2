#include "export/StringEx.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr qsizetype MinRoom = 64;
}

void StringEx::AddRear(QStringView s) {
    if (s.isEmpty())
        return;
    growRear(s.size());
    std::memcpy(m_buf.data() + m_front + m_len, s.data(), size_t(s.size()) * sizeof(QChar));
    m_len += s.size();
}

void StringEx::AddForward(QStringView s) {
    if (s.isEmpty())
        return;
    growFront(s.size());
    m_front -= s.size();
    std::memcpy(m_buf.data() + m_front, s.data(), size_t(s.size()) * sizeof(QChar));
    m_len += s.size();
}

void StringEx::AddString(QStringView front, QStringView rear) {
    AddForward(front);
    AddRear(rear);
}

QString StringEx::Text() const {
    return QString(m_buf.constData() + m_front, m_len);
}

void StringEx::setText(const QString &text) {
    m_buf = text;
    m_front = 0;
    m_len = text.size();
}

void StringEx::reserve(qsizetype n) {
    growRear(n);
}

QString StringEx::takeText() {
    QString out;
    if (m_front == 0) {
        m_buf.truncate(m_len);
        out = std::move(m_buf);
    } else {
        out = Text();
    }
    m_buf = QString();
    m_front = 0;
    m_len = 0;
    return out;
}

void StringEx::growRear(qsizetype need) {
    const qsizetype rearRoom = m_buf.size() - m_front - m_len;
    if (rearRoom >= need)
        return;
    // Doubling keeps a long run of appends linear in the total length.
    relocate(m_front, std::max({need, m_len, MinRoom}));
}

void StringEx::growFront(qsizetype need) {
    if (m_front >= need)
        return;
    relocate(std::max({need, m_len, MinRoom}), m_buf.size() - m_front - m_len);
}

void StringEx::relocate(qsizetype frontRoom, qsizetype rearRoom) {
    QString next(frontRoom + m_len + rearRoom, Qt::Uninitialized);
    if (m_len > 0)
        std::memcpy(next.data() + frontRoom, m_buf.constData() + m_front,
                    size_t(m_len) * sizeof(QChar));
    m_buf = std::move(next);
    m_front = frontRoom;
}
