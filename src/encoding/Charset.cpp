#include "encoding/Charset.h"

#include "encoding/AnsiBestFit.h"
#include "encoding/IcuConvert.h"

#include <QtEndian>

#include <unicode/ucnv.h>

#include <memory>

namespace {

struct ConverterCloser {
    void operator()(UConverter *c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter(const char *charset) {
    UErrorCode status = U_ZERO_ERROR;
    Converter cnv(ucnv_open(charset, &status));
    if (U_FAILURE(status))
        return nullptr;
    return cnv;
}

thread_local const std::function<bool()> *t_stop = nullptr;

// Input bytes converted between two stop checks: a few milliseconds of work.
constexpr qsizetype StopSlice = 8 << 20;

bool startsWithUtf8Bom(const QByteArray &bytes) {
    return bytes.startsWith("\xEF\xBB\xBF");
}

// The converter writes U+FFFD or U+001A for a sequence it cannot read. (Counting them in the
// text keeps ICU's fast substitution; a callback of our own would be called for every one.)
qsizetype substitutes(const QString &text) {
    qsizetype n = 0;
    const ushort *p = text.utf16();
    for (qsizetype k = 0, size = text.size(); k < size; ++k)
        n += (p[k] == 0xFFFD) | (p[k] == 0x1A);
    return n;
}

// Substitutes the bytes spell out themselves: a SUB control byte, and U+FFFD written in UTF-8.
qsizetype spelledSubstitutes(const char *charset, const QByteArray &bytes) {
    qsizetype n = bytes.count('\x1A');
    if (ucnv_compareNames(charset, "UTF-8") == 0)
        n += bytes.count("\xEF\xBF\xBD");
    return n;
}

} // namespace

namespace IcuConvert {

StopScope::StopScope(const std::function<bool()> &stop) : m_previous(t_stop) {
    t_stop = stop ? &stop : nullptr;
}

StopScope::~StopScope() {
    t_stop = m_previous;
}

QString decode(const char *charset, const QByteArray &bytes, qsizetype offset, bool *ok,
               qsizetype *invalid, bool strict) {
    *ok = false;
    Converter cnv = openConverter(charset);
    if (!cnv)
        return {};
    if (strict) {
        UErrorCode status = U_ZERO_ERROR;
        ucnv_setToUCallBack(cnv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    }
    // None of our charsets yields more UTF-16 units than input bytes, so one allocation
    // normally suffices; the loop below only grows for the odd replacement-heavy input.
    QString text(bytes.size() - offset + 16, Qt::Uninitialized);
    const char *src = bytes.constData() + offset;
    const char *srcEnd = bytes.constData() + bytes.size();
    qsizetype written = 0;
    // The input goes in slices (the converter keeps a sequence cut at a slice's end), so a stop
    // check can come between them.
    for (;;) {
        if (t_stop && (*t_stop)())
            throw DecodingStopped();
        const char *sliceEnd = t_stop && srcEnd - src > StopSlice ? src + StopSlice : srcEnd;
        auto *begin = reinterpret_cast<UChar *>(text.data());
        UChar *dst = begin + written;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(cnv.get(), &dst, begin + text.size(), &src, sliceEnd, nullptr,
                       sliceEnd == srcEnd, &status);
        written = dst - begin;
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            text.resize(text.size() + text.size() / 2 + 16);
            continue;
        }
        if (U_FAILURE(status)) {
            if (strict && invalid)
                ++*invalid; // the first sequence it cannot read
            return {};
        }
        if (src == srcEnd)
            break;
    }
    text.resize(written);
    *ok = true;
    if (invalid) {
        if (const qsizetype made = substitutes(text); made > 0)
            *invalid += qMax<qsizetype>(0, made - spelledSubstitutes(charset, bytes));
    }
    return text;
}

QByteArray encode(const char *charset, const QString &text, bool *ok, bool fallbacks) {
    *ok = false;
    Converter cnv = openConverter(charset);
    if (!cnv)
        return {};
    ucnv_setFallback(cnv.get(), fallbacks);
    // A guess that fits mostly-ASCII and double-byte text; the loop grows it when needed.
    QByteArray out(text.size() * 2 + 16, Qt::Uninitialized);
    const auto *src = reinterpret_cast<const UChar *>(text.constData());
    const UChar *srcEnd = src + text.size();
    qsizetype written = 0;
    for (;;) {
        char *begin = out.data();
        char *dst = begin + written;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUnicode(cnv.get(), &dst, begin + out.size(), &src, srcEnd, nullptr, true, &status);
        written = dst - begin;
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() * 2);
            continue;
        }
        if (U_FAILURE(status))
            return {};
        break;
    }
    out.resize(written);
    *ok = true;
    return out;
}

} // namespace IcuConvert

QString DecodeWithCharset(const char *charset, const QByteArray &bytes, qsizetype *invalid,
                          bool strict) {
    if (!charset) // ucnv_open would pick the platform default instead
        return {};
    bool ok = false;
    const bool utf8 = ucnv_compareNames(charset, "UTF-8") == 0;
    const qsizetype offset = utf8 && startsWithUtf8Bom(bytes) ? 3 : 0;
    return IcuConvert::decode(charset, bytes, offset, &ok, invalid, strict);
}

QString DecodeIso2022Jp(const QByteArray &bytes) {
    return DecodeWithCharset("ISO-2022-JP", bytes);
}

QString decodeEucJp(const QByteArray &bytes) {
    return DecodeWithCharset("EUC-JP", bytes);
}

QString DecodeUtf7(const QByteArray &bytes) {
    return DecodeWithCharset("UTF-7", bytes);
}

QString DecodeUtf8(const QByteArray &bytes) {
    return DecodeWithCharset("UTF-8", bytes);
}

// ICU's table for the ANSI code page follows the IBM convention for three control codes
// (0x1A, 0x1C and 0x7F are permuted), while the Windows code page maps them to themselves.
// These bytes never occur inside a double-byte character, so the text is converted in pieces
// between them and the control codes are kept as they are.
namespace {

bool isPermutedControl(uint c) {
    return c == 0x1A || c == 0x1C || c == 0x7F;
}

} // namespace

QString decodeAnsi(const QByteArray &bytes, qsizetype *invalid, bool strict) {
    QString text;
    qsizetype from = 0;
    const qsizetype n = bytes.size();
    for (qsizetype k = 0; k <= n; ++k) {
        if (k < n && !isPermutedControl(uchar(bytes[k])))
            continue;
        if (k > from) {
            bool ok = false;
            const QByteArray piece = QByteArray::fromRawData(bytes.constData() + from, k - from);
            const QString decoded =
                IcuConvert::decode(IcuConvert::AnsiCodePage, piece, 0, &ok, invalid, strict);
            if (!ok && strict)
                return {};
            if (from == 0 && k == n)
                return decoded;
            text += decoded;
        }
        if (k < n)
            text += QChar(uchar(bytes[k]));
        from = k + 1;
    }
    return text;
}

QByteArray EncodeAnsi(const QString &original) {
    const QString text = bestFitForAnsi(original);
    QByteArray bytes;
    qsizetype from = 0;
    const qsizetype n = text.size();
    for (qsizetype k = 0; k <= n; ++k) {
        if (k < n && !isPermutedControl(text[k].unicode()))
            continue;
        if (k > from) {
            bool ok = false;
            const QByteArray encoded = IcuConvert::encode(
                IcuConvert::AnsiCodePage, text.mid(from, k - from), &ok, /*fallbacks=*/true);
            if (from == 0 && k == n)
                return encoded;
            bytes += encoded;
        }
        if (k < n)
            bytes += char(text[k].unicode());
        from = k + 1;
    }
    return bytes;
}
