#include "sheet/XlsRecords.h"

#include <QtEndian>

#include <bit>
#include <cstring>

bool XlsRecordReader::header(quint16 *type, qsizetype *length) const {
    if (m_stream.size() - m_pos < 4)
        return false;
    *type = qFromLittleEndian<quint16>(m_stream.data() + m_pos);
    *length = qFromLittleEndian<quint16>(m_stream.data() + m_pos + 2);
    return true;
}

bool XlsRecordReader::next(XlsRecordData *record) {
    record->parts.clear();
    if (m_damaged || atEnd())
        return false;
    qsizetype length = 0;
    if (!header(&record->type, &length) || m_stream.size() - m_pos - 4 < length) {
        m_damaged = true;
        return false;
    }
    record->parts << m_stream.sliced(m_pos + 4, length);
    m_pos += 4 + length;
    quint16 type = 0;
    while (header(&type, &length) && type == XlsRecord::Continue) {
        if (m_stream.size() - m_pos - 4 < length) {
            m_damaged = true;
            return false;
        }
        record->parts << m_stream.sliced(m_pos + 4, length);
        m_pos += 4 + length;
    }
    return true;
}

bool XlsCursor::read(void *into, qsizetype count) {
    auto *out = static_cast<char *>(into);
    while (count > 0 && m_ok) {
        if (m_part >= m_parts.size()) {
            m_ok = false;
            break;
        }
        const QByteArrayView part = m_parts[m_part];
        const qsizetype n = std::min(count, part.size() - m_pos);
        if (out) {
            std::memcpy(out, part.data() + m_pos, size_t(n));
            out += n;
        }
        m_pos += n;
        count -= n;
        if (m_pos == part.size() && count > 0) {
            ++m_part;
            m_pos = 0;
        }
    }
    if (!m_ok && out)
        std::memset(out, 0, size_t(count));
    return m_ok;
}

quint8 XlsCursor::u8() {
    quint8 v = 0;
    return read(&v, 1) ? v : 0;
}

quint16 XlsCursor::u16() {
    uchar b[2] = {};
    return read(b, 2) ? qFromLittleEndian<quint16>(b) : 0;
}

quint32 XlsCursor::u32() {
    uchar b[4] = {};
    return read(b, 4) ? qFromLittleEndian<quint32>(b) : 0;
}

double XlsCursor::f64() {
    uchar b[8] = {};
    return read(b, 8) ? std::bit_cast<double>(qFromLittleEndian<quint64>(b)) : 0.0;
}

void XlsCursor::skip(qint64 count) {
    if (count < 0 || count > remaining()) {
        m_ok = false;
        return;
    }
    read(nullptr, qsizetype(count));
}

QByteArray XlsCursor::bytes(qsizetype count) {
    if (count > remaining()) {
        m_ok = false;
        return QByteArray();
    }
    QByteArray out(count, Qt::Uninitialized);
    read(out.data(), count);
    return out;
}

qint64 XlsCursor::remaining() const {
    qint64 total = 0;
    for (qsizetype p = m_part; p < m_parts.size(); ++p)
        total += m_parts[p].size() - (p == m_part ? m_pos : 0);
    return total;
}

QString XlsCursor::characters(quint32 count, bool wide) {
    QString text;
    while (count > 0 && m_ok) {
        if (m_part < m_parts.size() && m_pos == m_parts[m_part].size()) {
            // The characters go on in the next part, behind an option byte of their own.
            ++m_part;
            m_pos = 0;
            wide = u8() & 0x01;
            continue;
        }
        if (m_part >= m_parts.size()) {
            m_ok = false;
            break;
        }
        const QByteArrayView part = m_parts[m_part];
        const qsizetype unit = wide ? 2 : 1;
        const qsizetype n = std::min(qsizetype(count), (part.size() - m_pos) / unit);
        if (n == 0) { // half a character before the part ends
            m_ok = false;
            break;
        }
        const char *at = part.data() + m_pos;
        if (wide) {
            const qsizetype start = text.size();
            text.resize(start + n);
            for (qsizetype k = 0; k < n; ++k)
                text[start + k] = QChar(qFromLittleEndian<quint16>(at + 2 * k));
        } else {
            text += QLatin1StringView(at, n);
        }
        m_pos += n * unit;
        count -= quint32(n);
    }
    return m_ok ? text : QString();
}

QString XlsCursor::string(quint32 count) {
    if (count == 0 && remaining() == 0)
        return QString(); // an empty string may end the record without its option byte
    const quint8 options = u8();
    // Rich-text runs (4 bytes each) and phonetic data follow the characters.
    const quint16 runs = (options & 0x08) ? u16() : 0;
    const quint32 extra = (options & 0x04) ? u32() : 0;
    const QString text = characters(count, options & 0x01);
    skip(qint64(runs) * 4);
    skip(qint64(extra));
    return m_ok ? text : QString();
}

QString XlsCursor::string16() {
    const quint16 count = u16();
    return m_ok ? string(count) : QString();
}

QString XlsCursor::string8() {
    const quint8 count = u8();
    return m_ok ? string(count) : QString();
}

double xlsRkNumber(quint32 rk) {
    double value = 0;
    if (rk & 0x02)
        value = double(qint32(rk) >> 2); // a 30-bit integer
    else
        value = std::bit_cast<double>(quint64(rk & 0xFFFFFFFCu) << 32); // the high half of a double
    return (rk & 0x01) ? value / 100 : value;
}

QString xlsErrorText(quint8 code) {
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    case 0x2B:
        return QStringLiteral("#GETTING_DATA");
    default:
        return QString();
    }
}
