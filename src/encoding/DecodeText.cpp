#include "encoding/DecodeText.h"

#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "encoding/EncodingNames.h"

#include <QtEndian>

#include <cstring>

namespace {

// UTF-16LE taken as it is. A final odd byte has no partner and becomes U+FFFD.
QString decodeUtf16Le(const QByteArray &bytes, qsizetype *invalid) {
    const qsizetype start = bytes.startsWith("\xFF\xFE") ? 2 : 0;
    const qsizetype units = (bytes.size() - start) / 2;
    const bool oddTail = (bytes.size() - start) % 2 != 0;
    QString text(units + (oddTail ? 1 : 0), Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.constData() + start, units, text.data());
    if (oddTail) {
        text[units] = QChar(QChar::ReplacementCharacter);
        if (invalid)
            ++*invalid;
    }
    return text;
}

bool isSevenBit(const QByteArray &bytes) {
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype k = 0;
    for (; k + 8 <= n; k += 8) {
        quint64 word;
        std::memcpy(&word, p + k, 8);
        if (word & 0x8080808080808080ull)
            return false;
    }
    for (; k < n; ++k) {
        if (uchar(p[k]) & 0x80)
            return false;
    }
    return true;
}

} // namespace

QString decodeOnly(const QString &name, const QByteArray &bytes, qsizetype *invalid, bool strict) {
    // Seven-bit bytes mean the same in Shift_JIS, EUC-JP and UTF-8; the common case of plain
    // ASCII text skips the converter.
    if ((name == EncodingName::Euc || name == EncodingName::Utf8 || name == EncodingName::Sjis) &&
        isSevenBit(bytes))
        return QString::fromLatin1(bytes);
    if (name == EncodingName::Euc)
        return DecodeWithCharset("EUC-JP", bytes, invalid, strict);
    if (name == EncodingName::Jis)
        return DecodeWithCharset("ISO-2022-JP", bytes, invalid, strict);
    if (name == EncodingName::Utf8)
        return DecodeWithCharset("UTF-8", bytes, invalid, strict);
    if (name == EncodingName::Utf7)
        return DecodeWithCharset("UTF-7", bytes, invalid, strict);
    if (name == EncodingName::Unicode)
        return decodeUtf16Le(bytes, invalid);
    const EncodingInfo *other = findEncoding(name);
    if (!other || other->name == EncodingName::Sjis)
        return decodeAnsi(bytes, invalid, strict);
    QString text = DecodeWithCharset(other->converter, bytes, invalid, strict);
    // The UTF-16BE converter keeps a mark as a character; UTF-32's drops it.
    if (other->name == EncodingName::Utf16Be && bytes.startsWith("\xFE\xFF"))
        text.remove(0, 1);
    return text;
}

QString normalizeCountingLineEnds(QString text, qsizetype *crLf, qsizetype *loneCr) {
    const qsizetype firstCr = text.indexOf(QLatin1Char('\r'));
    if (firstCr < 0)
        return text;
    // Compact in place: the write position never passes the read position.
    QChar *d = text.data();
    const qsizetype n = text.size();
    qsizetype out = firstCr;
    qsizetype pairs = 0, lone = 0;
    for (qsizetype in = firstCr; in < n; ++in) {
        const QChar c = d[in];
        if (c == QLatin1Char('\r')) {
            d[out++] = QLatin1Char('\n');
            if (in + 1 < n && d[in + 1] == QLatin1Char('\n')) {
                ++in;
                ++pairs;
            } else {
                ++lone;
            }
        } else {
            d[out++] = c;
        }
    }
    text.truncate(out);
    if (crLf)
        *crLf = pairs;
    if (loneCr)
        *loneCr = lone;
    return text;
}

DecodedText decodeText(const QByteArray &bytes, const QString &encoding) {
    DecodedText decoded;
    decoded.chosen = !encoding.isEmpty();
    const QStringList candidates =
        decoded.chosen ? QStringList{encoding} : DetectEncodingCandidates(bytes);
    QString text;
    for (const QString &name : candidates) {
        qsizetype invalid = 0;
        // The answer is read whole, replacing what it cannot read; another candidate is only
        // worth reading while it reads every byte.
        const bool first = name == candidates.front();
        QString attempt = decodeOnly(name, bytes, &invalid, !first);
        // A converter that failed outright gives nothing for more than a mark.
        const bool failed =
            attempt.isEmpty() && leadingByteOrderMark(bytes, name).size() != bytes.size();
        const bool clean = invalid == 0 && !failed;
        if (first || clean) {
            text = std::move(attempt);
            decoded.encoding = name;
            decoded.clean = clean;
        }
        if (clean)
            break;
    }
    // An unknown name was read as the code page: say so.
    if (const EncodingInfo *known = findEncoding(decoded.encoding))
        decoded.encoding = known->name;
    else
        decoded.encoding = EncodingName::Sjis;
    decoded.detected = decoded.chosen ? DetectEncoding(bytes) : decoded.encoding;
    decoded.byteOrderMark = !leadingByteOrderMark(bytes, decoded.encoding).isEmpty();
    decoded.text = normalizeCountingLineEnds(std::move(text), &decoded.crLf, &decoded.loneCr);
    return decoded;
}
