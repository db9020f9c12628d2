#pragma once

#include <QByteArray>
#include <QStringEncoder>
#include <QStringView>

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Encodes text into UTF-8 as it is added, with no UTF-16 copy of the document: runs of ASCII
// characters (nearly all of them) are copied byte by byte, anything else goes through the
// encoder.
class Utf8Sink {
public:
    void add(QStringView s) {
        if (!addAscii(s, false))
            addEncoded(s);
    }

    // A text of ASCII characters alone (nearly every one) is copied byte by byte, with its
    // quotes doubled when `doubleQuotes` asks, in one pass, eight characters at a step where
    // the processor allows; false, with nothing added, for any other text.
    bool addAscii(QStringView s, bool doubleQuotes) {
        const char16_t *from = s.utf16();
        const qsizetype n = s.size();
        char *const to = room(2 * n + 8); // every character a quote, and one step's overrun
        qsizetype k = 0, out = 0;
        auto copyOne = [&](char16_t c) {
            to[out++] = char(c);
            if (doubleQuotes && c == u'"')
                to[out++] = '"';
        };
#if defined(__SSE2__)
        const __m128i quote = _mm_set1_epi16(short(u'"'));
        const __m128i beyondAscii = _mm_set1_epi16(short(0xFF80));
        const __m128i zero = _mm_setzero_si128();
        for (; k + 8 <= n; k += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + k));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, beyondAscii), zero)) != 0xFFFF)
                return false;
            if (doubleQuotes && _mm_movemask_epi8(_mm_cmpeq_epi16(v, quote)) != 0) {
                for (qsizetype i = k; i < k + 8; ++i)
                    copyOne(from[i]);
                continue;
            }
            _mm_storel_epi64(reinterpret_cast<__m128i *>(to + out), _mm_packus_epi16(v, v));
            out += 8;
        }
#endif
        for (; k < n; ++k) {
            if (from[k] >= 0x80)
                return false;
            copyOne(from[k]);
        }
        m_len += out;
        return true;
    }

    // Room for at least n more bytes without growing step by step.
    void reserve(qsizetype n) {
        room(n);
    }

    // Hands the bytes over and leaves the sink empty; false when some text could not be
    // encoded (it shows as U+FFFD).
    bool take(QByteArray &bytes) {
        m_bytes.truncate(m_len);
        bytes = std::move(m_bytes);
        m_bytes = QByteArray();
        m_len = 0;
        return !m_encoder.hasError();
    }

private:
    void addEncoded(QStringView s) {
        room(m_encoder.requiredSpace(s.size()));
        m_len = m_encoder.appendToBuffer(m_bytes.data() + m_len, s) - m_bytes.data();
    }

    // Where the next n bytes go, the buffer grown to hold them.
    char *room(qsizetype n) {
        if (m_len + n > m_bytes.size())
            m_bytes.resize(std::max(m_len + n, m_bytes.size() * 2 + 4096));
        return m_bytes.data() + m_len;
    }

    QStringEncoder m_encoder{QStringEncoder::Utf8};
    QByteArray m_bytes;
    qsizetype m_len = 0;
};
