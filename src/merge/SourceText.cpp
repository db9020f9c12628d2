#include "merge/SourceText.h"

#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "encoding/IcuConvert.h"

#include <QStringDecoder>
#include <QtEndian>

#include <array>

namespace {

using End = SourceLine::End;

bool sevenBitWithoutEscape(const QByteArray &bytes) {
    for (const char c : bytes) {
        if ((uchar(c) & 0x80) != 0 || c == '\x1B')
            return false;
    }
    return true;
}

// UTF-16LE code units as they are (no mark is dropped); an odd last byte is U+FFFD.
QString decodeUtf16Le(const char *data, qsizetype size) {
    const qsizetype units = size / 2;
    QString text(units + size % 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(data, units, text.data());
    if (size % 2 != 0)
        text[units] = QChar(QChar::ReplacementCharacter);
    return text;
}

QString decodeLine(const QString &encoding, const QByteArray &bytes) {
    if (encoding == EncodingName::Unicode)
        return decodeUtf16Le(bytes.constData(), bytes.size());
    if (encoding == EncodingName::Utf8)
        return QString::fromUtf8(bytes);
    return decodeByName(encoding, bytes);
}

} // namespace

bool isAsciiCompatible(const QString &encoding) {
    return encoding == EncodingName::Sjis || encoding == EncodingName::Euc ||
           encoding == EncodingName::Utf8;
}

void agreeOnEncodings(const QByteArray *const (&bytes)[3], QString (&encodings)[3]) {
    for (int f = 0; f < 3; ++f)
        encodings[f] = bytes[f]->isEmpty() ? QString() : DetectEncoding(*bytes[f]);
    // UTF-8 if any text is taken for it, else the first Shift_JIS or EUC-JP (MINE's first).
    QString target;
    for (const QString &e : {encodings[0], encodings[2], encodings[1]}) {
        if (e == EncodingName::Utf8 || (target.isEmpty() && isAsciiCompatible(e)))
            target = e;
    }
    if (target.isEmpty())
        return;
    for (int f = 0; f < 3; ++f) {
        const QString e = encodings[f];
        if (e == target || (!isAsciiCompatible(e) && e != EncodingName::Utf7))
            continue;
        bool readsAlike = false;
        if (target == EncodingName::Utf8) {
            QStringDecoder decoder(QStringDecoder::Utf8);
            const QString text = decoder(*bytes[f]); // decodes only when taken as a QString
            readsAlike = !decoder.hasError();
        } else {
            readsAlike = sevenBitWithoutEscape(*bytes[f]);
        }
        if (readsAlike)
            encodings[f] = target;
    }
}

SourceText readSourceText(const QByteArray &bytes, const QString &encoding) {
    SourceText t;
    t.bytes = bytes;
    if (bytes.isEmpty())
        return t;
    t.encoding = encoding.isEmpty() ? DetectEncoding(bytes) : encoding;
    const bool wide = t.encoding == EncodingName::Unicode;
    qsizetype start = 0;
    if (t.encoding == EncodingName::Utf8 && bytes.startsWith("\xEF\xBB\xBF"))
        start = 3;
    else if (wide && bytes.startsWith("\xFF\xFE"))
        start = 2;
    t.byteOrderMark = bytes.left(start);
    t.sevenBit = !wide && sevenBitWithoutEscape(bytes);

    const qsizetype n = bytes.size();
    const qsizetype unit = wide ? 2 : 1;
    const char *p = bytes.constData();
    // A code unit, or -1 for an odd last byte of UTF-16.
    auto unitAt = [&](qsizetype k) -> int {
        if (!wide)
            return uchar(p[k]);
        return k + 1 < n ? int(uchar(p[k]) | uchar(p[k + 1]) << 8) : -1;
    };
    std::array<qsizetype, 4> endCounts{};
    auto addLine = [&](qsizetype from, qsizetype to, End end) {
        const QByteArray lineBytes = bytes.mid(from, to - from);
        t.lines.push_back({decodeLine(t.encoding, lineBytes), from, to - from, end});
        ++endCounts[size_t(end)];
    };
    qsizetype lineStart = start;
    for (qsizetype k = start; k < n;) {
        const int u = unitAt(k);
        if (u != '\n' && u != '\r') {
            k += unit;
            continue;
        }
        End end = End::Lf;
        qsizetype endUnits = 1;
        if (u == '\r') {
            const bool crLf = k + unit < n && unitAt(k + unit) == '\n';
            end = crLf ? End::CrLf : End::Cr;
            endUnits = crLf ? 2 : 1;
        }
        addLine(lineStart, k, end);
        k += endUnits * unit;
        lineStart = k;
    }
    if (lineStart < n)
        addLine(lineStart, n, End::None);
    // The most common end; on a tie LF, then CR LF, then CR.
    for (const End e : {End::Lf, End::CrLf, End::Cr}) {
        if (endCounts[size_t(e)] > 0 &&
            (t.usualEnd == End::None || endCounts[size_t(e)] > endCounts[size_t(t.usualEnd)]))
            t.usualEnd = e;
    }
    return t;
}

std::optional<QByteArray> encodeText(const QString &encoding, const QString &text) {
    QByteArray bytes;
    QString back;
    if (encoding == EncodingName::Unicode) {
        bytes.resize(text.size() * 2);
        qToLittleEndian<char16_t>(text.constData(), text.size(), bytes.data());
        return bytes; // every code unit has its bytes
    }
    if (encoding == EncodingName::Utf8) {
        bytes = text.toUtf8();
        back = QString::fromUtf8(bytes);
    } else {
        const char *charset = encoding == EncodingName::Euc    ? "EUC-JP"
                              : encoding == EncodingName::Jis  ? "ISO-2022-JP"
                              : encoding == EncodingName::Utf7 ? "UTF-7"
                                                               : IcuConvert::AnsiCodePage;
        bool ok = false;
        bytes = IcuConvert::encode(charset, text, &ok);
        if (!ok)
            return std::nullopt;
        back = decodeByName(encoding, bytes);
    }
    if (back != text)
        return std::nullopt;
    return bytes;
}

QByteArray encodeEnd(const QString &encoding, SourceLine::End end) {
    QByteArray ascii;
    switch (end) {
    case End::None:
        return {};
    case End::Lf:
        ascii = "\n";
        break;
    case End::CrLf:
        ascii = "\r\n";
        break;
    case End::Cr:
        ascii = "\r";
        break;
    }
    if (encoding != EncodingName::Unicode)
        return ascii;
    QByteArray wide;
    for (const char c : ascii) {
        wide += c;
        wide += '\0';
    }
    return wide;
}
